// The main window's delete command on the command worker: the files go to
// the trash of their own file system, a cancelled choice reopens.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "browser/file_select_dlg.h"
#include "browser/filer_container.h"
#include "card_source.h"
#include "controls/skin_button.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "modal_script.h"
#include "scoped_work_folder.h"
#include "scratch_mount.h"

namespace {

constexpr int kOpenMs = 20000;

QStringList Names(const QString& folder) {
  return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
}

class FileCommands : public ::testing::Test {
 protected:
  void Open(const CardSource& card, SourceKind kind, const QString& path, int row) {
    ASSERT_TRUE(card.ok()) << card.error();
    dlg_ = std::make_unique<CKestrelDlg>();
    dlg_->show();
    ASSERT_TRUE(dlg_->ListSource(kind, path));
    dlg_->fileList()->SelectRow(row);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->currentIndex() == row && dlg_->openComplete(); },
                                kOpenMs));
  }
  void TearDown() override {
    dlg_.reset();
    DeleteSharedFonts();
  }
  // Runs `command` with `script` answering its dialogs, until the worker
  // has ended and the controls are back.
  void Run(int command, ModalScript& script) {
    dlg_->commandButton(command)->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return script.done() && !dlg_->commandRunning() && dlg_->fileList()->isEnabled(); },
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

  ScopedWorkFolder work_;
  std::unique_ptr<CKestrelDlg> dlg_;
};

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
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return dlg_->currentIndex() == 1 && dlg_->openComplete(); }, kOpenMs));
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
}

}  // namespace
