// The main window's file commands on the command worker: the join with its
// progress, cancel and failure; delete to the trash of the file's own file system.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>
#include <memory>
#include <numeric>

#include "base/app_message.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "browser/file_select_dlg.h"
#include "browser/filer_container.h"
#include "card_source.h"
#include "catalogue/gpx_export.h"
#include "catalogue/source_entries.h"
#include "container/movie_file.h"
#include "container/sensor_track.h"
#include "controls/skin_button.h"
#include "controls/skin_progress_bar_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "modal_script.h"
#include "scoped_work_folder.h"
#include "scratch_mount.h"

namespace {

constexpr int kOpenMs = 20000;

QStringList Names(const QString& folder) {
  return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
}

// Presses the to-start button when the first progress of a worker reaches
// the window.
struct CancelOnFirstProgress : QObject {
  explicit CancelOnFirstProgress(CKestrelDlg* window) : dlg(window) {
    dlg->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (!fired && event->type() == static_cast<QEvent::Type>(WM_APP_WORK_PROGRESS)) {
      fired = true;
      dlg->commandButton(kCmdToStart)->click();
    }
    return false;
  }
  CKestrelDlg* dlg;
  bool fired = false;
};

class FileCommands : public ::testing::Test {
 protected:
  void Open(const CardSource& card, SourceKind kind, const QString& path, int row) {
    ASSERT_TRUE(card.ok()) << card.error();
    dlg_ = std::make_unique<CKestrelDlg>();
    dlg_->show();
    ASSERT_TRUE(dlg_->ListSource(kind, path));
    dlg_->fileList()->SelectRow(row);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dlg_->playback().currentIndex() == row && dlg_->playback().openComplete(); },
        kOpenMs));
  }
  void TearDown() override {
    dlg_.reset();
    DeleteSharedFonts();
  }
  // Runs `command` with `script` answering its dialogs, until the worker
  // has ended and the controls are back.
  void Run(int command, ModalScript& script) {
    Run([&] { dlg_->commandButton(command)->click(); }, script);
  }
  void Run(const std::function<void()>& start, ModalScript& script) {
    start();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return script.done() && !dlg_->commands().commandRunning() &&
                 dlg_->fileList()->isEnabled();
        },
        kOpenMs));
    QTest::qWait(100);
  }
  static std::function<void(CFileSelectDlg*)> Tick(std::vector<int> rows) {
    return [rows](CFileSelectDlg* select) {
      for (int row = 0; row < select->checkList()->topLevelItemCount(); ++row) {
        select->SetTicked(row, std::find(rows.begin(), rows.end(), row) != rows.end());
      }
      select->accept();
    };
  }
  // Types the whole path into the save dialog's file name, as a person can,
  // and accepts it.
  static std::function<void(QFileDialog*)> SaveAs(const QString& path) {
    return [path](QFileDialog* dialog) {
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      name->setText(path);
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    };
  }

  ScopedWorkFolder work_;
  std::unique_ptr<CKestrelDlg> dlg_;
};

// Fills the folder of `recording` with `count` copies of it under recorder
// names of their own, a card large enough for a join to take a while.
void CopyRecording(const QString& recording, int count) {
  const QFileInfo source(recording);
  const QString trigger = source.completeBaseName().right(2);
  for (int k = 0; k < count; ++k) {
    const QString name = QStringLiteral("061209%1%2%3.MOV")
                             .arg(k / 60, 2, 10, QChar('0'))
                             .arg(k % 60, 2, 10, QChar('0'))
                             .arg(trigger);
    ASSERT_TRUE(QFile::copy(recording, source.dir().filePath(name))) << name.toStdString();
  }
}

TEST_F(FileCommands, JoinShowsItsProgressAndCanBeCancelledOrRefused) {
  CardSource card(1, 10);
  ASSERT_TRUE(card.ok()) << card.error();
  constexpr int kCopies = 60;
  CopyRecording(card.Path(0), kCopies);
  Open(card, SourceKind::kCard, card.root(), 0);
  ASSERT_EQ(dlg_->fileList()->entryCount(), kCopies + 1);
  const QString out = work_.filePath(QStringLiteral("joined"));
  ASSERT_TRUE(QDir().mkpath(out));
  std::vector<int> all(kCopies + 1);
  std::iota(all.begin(), all.end(), 0);

  // The whole card joined, the progress bar followed on the way.
  std::vector<int> seen;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (dlg_->progressBar()->isVisible()) seen.push_back(dlg_->progressBar()->pos());
  });
  watch.start(1);
  ModalScript join;
  join.Then<CFileSelectDlg>(Tick(all)).Then<QFileDialog>(SaveAs(out + "/all.mov")).Box();
  Run(kCmdJoin, join);
  watch.stop();
  EXPECT_EQ(join.boxes, std::vector<QString>{"完了しました。"});
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 100);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_FALSE(dlg_->progressBar()->isVisible()) << "hidden once the join is done";
  EXPECT_EQ(ReadIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("CONNECT_FOLDER")), out);
  const auto joined = MovieFile::Open((out + "/all.mov").toStdString(), false);
  ASSERT_NE(joined, nullptr) << Names(out).join(" ").toStdString();
  const std::int64_t frames = MovieFile::Open(card.Path(0).toStdString(), false)->FrameCount();
  EXPECT_EQ(joined->FrameCount(), frames * (kCopies + 1));

  // Cancelled with the to-start button as soon as the first progress
  // arrives: no output and no temporary file.
  CancelOnFirstProgress cancel(dlg_.get());
  ModalScript cancelled;
  cancelled.Then<CFileSelectDlg>(Tick(all)).Then<QFileDialog>(SaveAs(out + "/cancelled.mov"));
  Run(kCmdJoin, cancelled);
  EXPECT_TRUE(cancel.fired);
  EXPECT_TRUE(cancelled.boxes.empty()) << "a cancelled join ends quietly";
  EXPECT_EQ(Names(out), QStringList{"all.mov"});

  // No room on the disk: the failure, and nothing left there.
  ScratchMount small(256 << 10);
  if (!small.ok()) GTEST_SKIP() << small.error();
  const QString full = QString::fromStdString(small.path().string());
  ModalScript refused;
  refused.Then<CFileSelectDlg>(Tick(all)).Then<QFileDialog>(SaveAs(full + "/x.mov")).Box();
  Run(kCmdJoin, refused);
  EXPECT_EQ(refused.boxes, std::vector<QString>{"動画の連結に失敗しました。"});
  EXPECT_TRUE(Names(full).isEmpty());

  // The joined movie plays in the viewer.
  ASSERT_TRUE(dlg_->ListSource(SourceKind::kFile, out + "/all.mov"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->playback().openComplete(); }, kOpenMs));
  dlg_->commandButton(kCmdPlayPause)->click();
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg_->engineState()->playState == 2; }, kOpenMs));

  // The window closed while a join works: the join stops, nothing is left.
  Open(card, SourceKind::kCard, card.root(), 0);
  QElapsedTimer closing;
  struct CloseOnFirstProgress : CancelOnFirstProgress {
    using CancelOnFirstProgress::CancelOnFirstProgress;
    bool eventFilter(QObject*, QEvent* event) override {
      if (!fired && event->type() == static_cast<QEvent::Type>(WM_APP_WORK_PROGRESS)) {
        fired = true;
        timer->start();
        dlg->close();
      }
      return false;
    }
    QElapsedTimer* timer = nullptr;
  } closer(dlg_.get());
  closer.timer = &closing;
  ModalScript closed;
  closed.Then<CFileSelectDlg>(Tick(all)).Then<QFileDialog>(SaveAs(out + "/closed.mov"));
  dlg_->commandButton(kCmdJoin)->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->shutDown(); }, kOpenMs));
  EXPECT_LT(closing.elapsed(), 2000);
  EXPECT_FALSE(dlg_->commands().commandRunning());
  EXPECT_EQ(Names(out), QStringList{"all.mov"});
}

// Gives the process back its zone when the viewer has set the recorder's.
struct ZoneRestore {
  ~ZoneRestore() {
    if (previous.isNull()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", previous.constData(), 1);
    }
    tzset();
  }
  QByteArray previous = qgetenv("TZ");
};

TEST_F(FileCommands, GpxOfTheWholeSourceInUtcFromTheRecordersZone) {
  ZoneRestore zone;
  WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("TIME_ZONE"),
                 QStringLiteral("Asia/Tokyo"));
  CardSource card(3, 2, 2);
  Open(card, SourceKind::kCard, card.root(), 0);
  const QString out = work_.filePath(QStringLiteral("route.gpx"));
  ModalScript gpx;
  gpx.Then<QFileDialog>(SaveAs(out)).Box();
  // The g key, as the popup menu's item does.
  Run([&] { QTest::keyClick(dlg_.get(), Qt::Key_G); }, gpx);
  EXPECT_EQ(gpx.boxes, std::vector<QString>{"完了しました。"});
  EXPECT_EQ(ReadIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("GPX_FOLDER")).toStdString(),
            work_.path().toStdString());

  // Every recording of the card, both folders, as the core writes them.
  Catalogue catalogue;
  std::vector<GpxTrack> tracks;
  for (const FileEntry& entry : CollectSource(catalogue, card.root().toStdString())) {
    tracks.push_back({entry.name, {}});
    ASSERT_TRUE(SensorTrack::LoadRoute(std::span(&entry.path, 1), &tracks.back().positions));
  }
  ASSERT_EQ(tracks.size(), 6u);
  QFile file(out);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray written = file.readAll();
  EXPECT_EQ(written.toStdString(), GpxText(tracks));
  // The recorder's 08:30 in Tokyo is 23:30 UTC the day before.
  EXPECT_TRUE(written.contains("<time>2024-06-11T23:30:0")) << written.left(2000).toStdString();
}

// Trash folders of the test's own: the home trash under XDG_DATA_HOME.
class TrashHome {
 public:
  TrashHome() : previous_(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", dir_.path().toLocal8Bit());
  }
  ~TrashHome() { qputenv("XDG_DATA_HOME", previous_); }
  QString files() const { return dir_.filePath(QStringLiteral("Trash/files")); }
  QString info() const { return dir_.filePath(QStringLiteral("Trash/info")); }

 private:
  QByteArray previous_;
  QTemporaryDir dir_;
};

TEST_F(FileCommands, DeleteMovesTheTickedFilesToTheTrashAndNeverLosesOne) {
  TrashHome trash;
  CardSource card(4, 2);
  Open(card, SourceKind::kCard, card.root(), 1);
  dlg_->commandButton(kCmdPlayPause)->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->engineState()->playState == 2; }, kOpenMs));
  const QString playing = QFileInfo(card.Path(1)).fileName();
  const QString other = QFileInfo(card.Path(2)).fileName();

  // Cancelled: nothing goes, the focused recording opens again.
  ModalScript cancelled;
  cancelled.Then<CFileSelectDlg>([](CFileSelectDlg* select) { select->reject(); });
  Run(kCmdDelete, cancelled);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return dlg_->playback().currentIndex() == 1 && dlg_->playback().openComplete(); },
      kOpenMs));
  EXPECT_EQ(dlg_->fileList()->entryCount(), 4);

  // The playing recording and the next go to the trash with their notes.
  ModalScript deleted;
  deleted.Then<CFileSelectDlg>(Tick({1, 2})).Box();
  Run(kCmdDelete, deleted);
  EXPECT_EQ(deleted.boxes, std::vector<QString>{"完了しました。"});
  EXPECT_FALSE(QFileInfo::exists(card.Path(1)));
  EXPECT_FALSE(QFileInfo::exists(card.Path(2)));
  EXPECT_EQ(Names(trash.files()), (QStringList{playing, other}));
  EXPECT_EQ(Names(trash.info()), (QStringList{playing + ".trashinfo", other + ".trashinfo"}));
  QStringList listed;
  for (const FileEntry& entry : dlg_->fileList()->entries())
    listed << QString::fromStdString(entry.name);
  EXPECT_EQ(listed,
            (QStringList{QFileInfo(card.Path(0)).fileName(), QFileInfo(card.Path(3)).fileName()}));
  EXPECT_EQ(dlg_->filer()->folderEntries().size(), 2u) << "the catalogue follows";

  // A second file system: the trash is that medium's own, nothing is copied.
  ScratchMount medium(64 << 20);
  if (!medium.ok()) GTEST_SKIP() << medium.error();
  const QString root = QString::fromStdString(medium.path().string());
  for (int i : {0, 3}) {
    ASSERT_TRUE(QFile::copy(card.Path(i), root + "/" + QFileInfo(card.Path(i)).fileName()));
  }
  const QString first = QFileInfo(card.Path(0)).fileName();
  Open(card, SourceKind::kFolder, root, 0);
  ModalScript onMedium;
  onMedium.Then<CFileSelectDlg>(Tick({0})).Box();
  Run(kCmdDelete, onMedium);
  EXPECT_EQ(onMedium.boxes, std::vector<QString>{"完了しました。"});
  const QString mediumTrash = root + QStringLiteral("/.Trash-%1").arg(getuid());
  EXPECT_EQ(Names(mediumTrash + "/files"), QStringList{first});
  EXPECT_EQ(Names(mediumTrash + "/info"), QStringList{first + ".trashinfo"});
  EXPECT_EQ(Names(trash.files()).size(), 2) << "not moved across to the home trash";

  // A read-only medium: the file stays, the failure is shown.
  ASSERT_TRUE(medium.MakeReadOnly());
  const QStringList before = Names(root);
  Open(card, SourceKind::kFolder, root, 0);
  ModalScript readOnly;
  readOnly.Then<CFileSelectDlg>(Tick({0})).Box();
  Run(kCmdDelete, readOnly);
  EXPECT_EQ(readOnly.boxes, std::vector<QString>{"動画ファイルの削除に失敗しました。"});
  EXPECT_EQ(Names(root), before);
  EXPECT_EQ(dlg_->fileList()->entryCount(), 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg_->playback().openComplete(); }, kOpenMs))
      << "the recording opens again";
}

// Two recordings whose names differ only where one holds bytes that are not
// UTF-8 and the other U+FFFD, which Qt reads those bytes as, in a folder
// whose name is not UTF-8 either: the folder lists them, each plays as
// itself, and ticking one trashes that one.
TEST_F(FileCommands, TwinNamesThatAreNotUtf8PlayAndGoToTheTrashAsThemselves) {
  TrashHome trash;
  CardSource card(2, 2);
  QTemporaryDir folder;
  const std::filesystem::path root =
      std::filesystem::path(QFile::encodeName(folder.path()).toStdString()) / "\xfe\xff";
  std::filesystem::create_directory(root);
  const std::filesystem::path raw = root /
                                    "0612\xff\xfe"
                                    "3005_M.MOV";
  const std::filesystem::path twin = root /
                                     "0612\xef\xbf\xbd\xef\xbf\xbd"
                                     "3005_M.MOV";
  std::filesystem::copy_file(QFile::encodeName(card.Path(0)).toStdString(), raw);
  std::filesystem::copy_file(QFile::encodeName(card.Path(1)).toStdString(), twin);
  const auto content = [](const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string rawBytes = content(raw);
  const std::string twinBytes = content(twin);
  ASSERT_NE(rawBytes, twinBytes);

  Open(card, SourceKind::kFolder, folder.path(), 0);
  const std::vector<FileEntry>& entries = dlg_->fileList()->entries();
  ASSERT_EQ(entries.size(), 2u);
  const int rawRow = entries[0].path == raw ? 0 : 1;
  ASSERT_EQ(entries[static_cast<std::size_t>(rawRow)].path, raw);
  for (const int row : {rawRow, 1 - rawRow}) {
    dlg_->fileList()->SelectRow(row);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dlg_->playback().currentIndex() == row && dlg_->playback().openComplete(); },
        kOpenMs));
    EXPECT_EQ(dlg_->engineState()->moviePath, entries[static_cast<std::size_t>(row)].path);
  }

  ModalScript deleted;
  deleted.Then<CFileSelectDlg>(Tick({rawRow})).Box();
  Run(kCmdDelete, deleted);
  EXPECT_EQ(deleted.boxes, std::vector<QString>{"完了しました。"});
  EXPECT_FALSE(std::filesystem::exists(raw));
  EXPECT_TRUE(content(twin) == twinBytes) << "the twin stays as it was";
  const QStringList trashed = Names(trash.files());
  ASSERT_EQ(trashed.size(), 1);
  EXPECT_TRUE(content(QFile::encodeName(trash.files() + "/" + trashed[0]).toStdString()) ==
              rawBytes);
  const std::string record =
      content(QFile::encodeName(trash.info() + "/" + trashed[0] + ".trashinfo").toStdString());
  EXPECT_NE(record.find("%FE%FF/0612%FF%FE3005_M.MOV\n"), std::string::npos) << record;
}

}  // namespace
