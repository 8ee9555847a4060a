#include "browser/filer_container.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>

#include "base/app_message.h"
#include "base/settings_file.h"
#include "browser/file_list_ctrl.h"
#include "browser/folder_tree_ctrl.h"
#include "controls/skin_button.h"
#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"
#include "scoped_work_folder.h"

namespace {

// A card of three folders (100MEDIA..102MEDIA) with four recordings each,
// written once for all cases; the triggers cycle through A, M, G, P, S.
class GeneratedCard {
 public:
  GeneratedCard() {
    options_.folders = 3;
    options_.files = 4;
    options_.seconds = 1;
    options_.width = 160;
    options_.height = 120;
    plan_ = mkcard::PlanCard(options_);
    error_ = mkcard::WriteCard(options_, dir_.path().toStdString());
  }
  const std::string& error() const { return error_; }
  QString root() const { return dir_.path(); }
  QString Path(std::size_t i) const {
    return dir_.filePath(QString::fromStdString(plan_.at(i).path));
  }
  const std::vector<mkcard::RecordingPlan>& plan() const { return plan_; }
  QString FolderName(int folder) const { return QStringLiteral("%1MEDIA").arg(100 + folder); }
  // The names of the recordings of `folder`, in card (name) order.
  std::vector<std::string> Names(int folder) const {
    std::vector<std::string> names;
    for (const auto& p : plan_) {
      if (p.folder == folder)
        names.push_back(QFileInfo(QString::fromStdString(p.path)).fileName().toStdString());
    }
    return names;
  }

 private:
  QTemporaryDir dir_;
  mkcard::CardOptions options_;
  std::vector<mkcard::RecordingPlan> plan_;
  std::string error_;
};

std::vector<std::string> RowNames(const CFileListCtrl& list) {
  std::vector<std::string> names;
  for (const FileEntry& e : list.entries()) names.push_back(e.name);
  return names;
}

// Receives the posted window messages of the viewer.
class MessageRecorder : public QObject {
 public:
  std::vector<int> messages;

 protected:
  bool event(QEvent* e) override {
    if (e->type() >= QEvent::User) {
      messages.push_back(static_cast<int>(e->type()));
      return true;
    }
    return QObject::event(e);
  }
};

class FilerContainerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { card_ = new GeneratedCard; }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(card_->error(), ""); }

  static GeneratedCard* card_;
  ScopedWorkFolder work_;
};

GeneratedCard* FilerContainerTest::card_ = nullptr;

TEST_F(FilerContainerTest, CardShowsFoldersAndListsTheFirst) {
  CFilerContainer panel;
  panel.resize(446, 300);
  QSignalSpy changed(&panel, &CFilerContainer::folderChanged);
  ASSERT_TRUE(panel.ApplySource(SourceKind::kCard, card_->root() + QStringLiteral("/")));

  const QString dcim = QDir(card_->root()).filePath(QStringLiteral("DCIM"));
  EXPECT_EQ(panel.sourceKind(), SourceKind::kCard);
  EXPECT_EQ(panel.sourcePath(), dcim);
  EXPECT_EQ(panel.pathField()->text(), dcim);
  EXPECT_TRUE(panel.pathField()->isReadOnly());
  EXPECT_EQ(panel.pathField()->objectName(), QStringLiteral("38500"));

  QTreeWidgetItem* root = panel.folderTree()->root();
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->childCount(), 3);
  EXPECT_EQ(panel.folderTree()->ItemCount(), 4);
  EXPECT_EQ(root->child(2)->text(0), card_->FolderName(2));
  // Folder masks: triggers A M G P S cycle over the card's twelve files.
  EXPECT_EQ(CFolderTreeCtrl::TriggerMaskOf(root->child(0)), 0x01 | 0x02 | 0x04 | 0x08);
  EXPECT_EQ(CFolderTreeCtrl::TriggerMaskOf(root->child(1)), 0x10 | 0x01 | 0x02 | 0x04);
  EXPECT_EQ(panel.folderLines().size(), 3u);

  EXPECT_EQ(panel.folderTree()->currentItem(), root->child(0));
  EXPECT_EQ(RowNames(*panel.fileList()), card_->Names(0));
  EXPECT_EQ(panel.countLabel()->text(), QStringLiteral("4個"));
  panel.show();
  EXPECT_TRUE(panel.fileList()->verticalScrollBar()->isEnabled());
  ASSERT_EQ(changed.count(), 1);

  const auto& version = card_->plan().back().header.version;
  EXPECT_EQ(panel.recorderVersion(),
            QStringLiteral("%1.%2.%3").arg(version[0]).arg(version[1]).arg(version[2]));

  // Choosing another folder lists its recordings.
  panel.folderTree()->setCurrentItem(root->child(1));
  EXPECT_EQ(RowNames(*panel.fileList()), card_->Names(1));
  ASSERT_EQ(changed.count(), 2);
  EXPECT_EQ(changed.at(1).at(0).toString(), QDir(dcim).filePath(card_->FolderName(1)));
  EXPECT_TRUE(panel.SelectNextFolder());
  EXPECT_EQ(RowNames(*panel.fileList()), card_->Names(2));
  EXPECT_FALSE(panel.SelectNextFolder()) << "the last folder";
}

TEST_F(FilerContainerTest, FiltersHideTypedRowsInTheCurrentOrder) {
  CFilerContainer panel;
  ASSERT_TRUE(panel.ApplySource(SourceKind::kCard, card_->root()));
  panel.folderTree()->setCurrentItem(panel.folderTree()->root()->child(1));  // S A M G
  const std::vector<std::string> names = card_->Names(1);
  ASSERT_EQ(names.size(), 4u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(panel.filter(i));
    EXPECT_TRUE(panel.filterButton(i)->latched());
    EXPECT_EQ(panel.filterButton(i)->objectName(), QString::number(38700 + i));
  }
  EXPECT_EQ(panel.filterButton(1)->geometry(), QRect(68, 28, 12, 12));

  // Sort by size descending is not a key; by the trigger letter (A, G, M, S).
  ASSERT_TRUE(panel.SortRows(1));
  const std::vector<std::string> byTrigger = {names[1], names[3], names[2], names[0]};
  EXPECT_EQ(RowNames(*panel.fileList()), byTrigger);
  EXPECT_EQ(panel.fileList()->currentRow(), 0);
  EXPECT_EQ(panel.fileList()->highlightedRow(), 0);

  // G off (a click on its button): the G row goes, the catalogue keeps it.
  panel.filterButton(1)->click();
  EXPECT_FALSE(panel.filter(1));
  EXPECT_FALSE(panel.filterButton(1)->latched());
  EXPECT_EQ(RowNames(*panel.fileList()), (std::vector<std::string>{names[1], names[2], names[0]}));
  EXPECT_EQ(panel.folderEntries().size(), 4u);
  EXPECT_EQ(panel.countLabel()->text(), QStringLiteral("3個"));
  EXPECT_EQ(panel.fileList()->currentRow(), 0);

  panel.SetFilter(4, false);
  panel.SetFilter(0, false);
  EXPECT_EQ(RowNames(*panel.fileList()), (std::vector<std::string>{names[2]}));
  panel.SetFilter(1, true);
  panel.SetFilter(4, true);
  panel.SetFilter(0, true);
  EXPECT_EQ(RowNames(*panel.fileList()), byTrigger) << "back in the current sort order";

  EXPECT_FALSE(panel.SortRows(6)) << "entries carry no duration";
  EXPECT_FALSE(panel.SortRows(9));
}

TEST_F(FilerContainerTest, SortingAnEmptyListSelectsNothing) {
  CFilerContainer panel;
  QSignalSpy selected(panel.fileList(), &CFileListCtrl::rowSelected);
  EXPECT_TRUE(panel.SortRows(0));
  EXPECT_EQ(panel.fileList()->count(), 0);
  EXPECT_EQ(panel.fileList()->currentRow(), -1);
  EXPECT_EQ(panel.fileList()->highlightedRow(), -1);
  EXPECT_EQ(selected.count(), 0);
  EXPECT_EQ(panel.countLabel()->text(), QStringLiteral("0個"));
  panel.show();
  EXPECT_TRUE(panel.fileList()->verticalScrollBar()->isVisible());
  EXPECT_FALSE(panel.fileList()->verticalScrollBar()->isEnabled()) << "no rows";
}

TEST_F(FilerContainerTest, CardWithoutDcimAndFolderSources) {
  // A card without DCIM: its folders are browsed from its root.
  QTemporaryDir bare;
  const QString folder = QDir(bare.path()).filePath(QStringLiteral("100MEDIA"));
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(
      QFile::copy(card_->Path(0), QDir(folder).filePath(QStringLiteral("0612083000_A.MOV"))));
  CFilerContainer panel;
  ASSERT_TRUE(panel.ApplySource(SourceKind::kCard, bare.path()));
  EXPECT_EQ(panel.sourcePath(), bare.path());
  ASSERT_EQ(panel.folderTree()->root()->childCount(), 1);
  EXPECT_EQ(RowNames(*panel.fileList()), (std::vector<std::string>{"0612083000_A.MOV"}));

  // A folder of recordings without subfolders lists its own, the trailing
  // separator dropped.
  ASSERT_TRUE(panel.ApplySource(SourceKind::kFolder, folder + QStringLiteral("/")));
  EXPECT_EQ(panel.sourcePath(), folder);
  EXPECT_EQ(panel.folderTree()->ItemCount(), 1);
  EXPECT_EQ(RowNames(*panel.fileList()), (std::vector<std::string>{"0612083000_A.MOV"}));
  EXPECT_EQ(panel.recorderVersion(), QString()) << "no folder to read a version from";
}

TEST_F(FilerContainerTest, FileSourceNeedsARecorderFile) {
  CFilerContainer panel;
  ASSERT_TRUE(panel.ApplySource(SourceKind::kFile, card_->Path(5)));
  EXPECT_EQ(panel.pathField()->text(), card_->Path(5));
  EXPECT_EQ(panel.folderTree()->rootPath(), QFileInfo(card_->Path(5)).absolutePath());
  ASSERT_EQ(panel.fileList()->count(), 1);
  EXPECT_EQ(panel.fileList()->currentRow(), 0);

  QTemporaryDir other;
  const QString plain = QDir(other.path()).filePath(QStringLiteral("0612083000_A.MOV"));
  QFile file(plain);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a movie");
  file.close();
  EXPECT_FALSE(panel.ApplySource(SourceKind::kFile, plain));
  EXPECT_EQ(panel.fileList()->count(), 0);

  // The engine's test decides when one is given.
  panel.SetFileAcceptor([](const QString&) { return false; });
  EXPECT_FALSE(panel.ApplySource(SourceKind::kFile, card_->Path(5)));
  EXPECT_EQ(panel.fileList()->count(), 0);
}

TEST_F(FilerContainerTest, SpecialFilesNamedLikeRecordingsAreNotListed) {
  // Two recordings and, named like recordings of the same time, a FIFO, a
  // socket, a folder and a symbolic link to the FIFO; none of them may block
  // the listing.
  QTemporaryDir other;
  const std::filesystem::path folder = (other.path() + QStringLiteral("/100MEDIA")).toStdString();
  std::filesystem::create_directories(folder);
  const std::vector<std::string> real = {card_->Names(0)[0], card_->Names(0)[1]};
  for (std::size_t i = 0; i < real.size(); ++i) {
    std::filesystem::copy_file(card_->Path(i).toStdString(), folder / real[i]);
  }
  const std::string stem = real[0].substr(0, 10);
  const std::filesystem::path fifo = folder / (stem + "_G.MOV");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = (folder / (stem + "_M.MOV")).string();
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  const int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_EQ(bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(socketFd);
  std::filesystem::create_directory(folder / (stem + "_P.MOV"));
  std::filesystem::create_symlink(fifo, folder / (stem + "_S.MOV"));

  CFilerContainer panel;
  ASSERT_TRUE(panel.ApplySource(SourceKind::kFolder, QString::fromStdString(folder.string())));
  EXPECT_EQ(RowNames(*panel.fileList()), real);
  EXPECT_FALSE(panel.ApplySource(SourceKind::kFile, QString::fromStdString(fifo.string())));
  EXPECT_EQ(panel.fileList()->count(), 0);
}

TEST_F(FilerContainerTest, TreeStopsAt1500Items) {
  QTemporaryDir big;
  for (int i = 0; i < 1600; ++i) {
    const QString folder =
        QDir(big.path()).filePath(QStringLiteral("F%1").arg(i, 4, 10, QChar('0')));
    ASSERT_TRUE(QDir().mkpath(folder));
    std::error_code error;
    std::filesystem::create_hard_link(card_->Path(0).toStdString(),
                                      (folder + QStringLiteral("/0612083000_A.MOV")).toStdString(),
                                      error);
    ASSERT_FALSE(error) << error.message();
  }
  CFilerContainer panel;
  ASSERT_TRUE(panel.ApplySource(SourceKind::kFolder, big.path()));
  EXPECT_EQ(panel.folderTree()->ItemCount(), 1500);
  EXPECT_EQ(panel.folderTree()->root()->childCount(), 1499) << "the root counts too";
  EXPECT_EQ(panel.folderLines().size(), 1499u);
  EXPECT_EQ(panel.folderTree()->root()->child(1498)->text(0), QStringLiteral("F1498"));
}

// A fake system with removable disks mounted at the given folders.
class FakeDrives {
 public:
  void Add(const QString& mountPoint) {
    const int n = ++count_;
    const QString disk =
        dir_.filePath(QStringLiteral("sys/devices/block/sd%1").arg(QChar('a' + n)));
    QDir().mkpath(disk);
    Write(disk + QStringLiteral("/removable"), "1\n");
    QDir().mkpath(dir_.filePath(QStringLiteral("sys/dev/block")));
    QFile::link(disk, dir_.filePath(QStringLiteral("sys/dev/block/8:%1").arg(n * 16)));
    mountInfo_ += QStringLiteral("%1 1 8:%2 / %3 rw - vfat /dev/x rw\n")
                      .arg(30 + n)
                      .arg(n * 16)
                      .arg(mountPoint)
                      .toUtf8();
    Write(mountInfoPath(), mountInfo_);
  }
  QString mountInfoPath() const { return dir_.filePath(QStringLiteral("mountinfo")); }
  QString sysPath() const { return dir_.filePath(QStringLiteral("sys")); }

 private:
  static void Write(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  QTemporaryDir dir_;
  QByteArray mountInfo_;
  int count_ = 0;
};

TEST_F(FilerContainerTest, RestoreTakesTheLaterDriveThenTheSavedPaths) {
  QTemporaryDir otherCard;
  FakeDrives drives;
  drives.Add(otherCard.path());
  drives.Add(card_->root());
  CFilerContainer panel;
  panel.SetDriveTables(drives.mountInfoPath(), drives.sysPath());
  ASSERT_TRUE(panel.RestoreSource());
  EXPECT_EQ(panel.sourceKind(), SourceKind::kCard);
  EXPECT_EQ(panel.sourcePath(), QDir(card_->root()).filePath(QStringLiteral("DCIM")));

  // No drive: the saved folder (with a trailing separator), then the file.
  const QString folder = QDir(card_->root()).filePath(QStringLiteral("DCIM/101MEDIA"));
  panel.SetDriveTables(QStringLiteral("/nonexistent/mountinfo"), drives.sysPath());
  ASSERT_TRUE(WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), folder + "/"));
  ASSERT_TRUE(WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FILE"), card_->Path(0)));
  ASSERT_TRUE(panel.RestoreSource());
  EXPECT_EQ(panel.sourceKind(), SourceKind::kFolder);
  EXPECT_EQ(panel.sourcePath(), folder);
  EXPECT_EQ(RowNames(*panel.fileList()), card_->Names(1));

  ASSERT_TRUE(WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"),
                             folder + QStringLiteral("-gone")));
  ASSERT_TRUE(panel.RestoreSource());
  EXPECT_EQ(panel.sourceKind(), SourceKind::kFile);
  EXPECT_EQ(panel.fileList()->count(), 1);

  // Nothing saved exists: empty lists, no error.
  ASSERT_TRUE(WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FILE"),
                             card_->Path(0) + QStringLiteral("-gone")));
  EXPECT_FALSE(panel.RestoreSource());
  EXPECT_EQ(panel.sourceKind(), SourceKind::kNone);
  EXPECT_EQ(panel.fileList()->count(), 0);
  EXPECT_EQ(panel.folderTree()->ItemCount(), 0);
}

TEST_F(FilerContainerTest, RemovedSourceIsReportedOnceAndRelistsEmpty) {
  QTemporaryDir copy;
  const QString folder = QDir(copy.path()).filePath(QStringLiteral("videos"));
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(
      QFile::copy(card_->Path(0), QDir(folder).filePath(QStringLiteral("0612083000_A.MOV"))));

  MessageRecorder owner;
  CFilerContainer panel;
  panel.StartWatcher(&owner);
  ASSERT_TRUE(panel.ApplySource(SourceKind::kFolder, folder));
  ASSERT_EQ(panel.fileList()->count(), 1);
  QTest::qWait(250);
  QCoreApplication::processEvents();
  EXPECT_TRUE(owner.messages.empty()) << "the source is still there";

  ASSERT_TRUE(QDir(folder).removeRecursively());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !owner.messages.empty(); }, 3000));
  EXPECT_EQ(owner.messages, std::vector<int>{0x84B1});
  panel.Relist();
  EXPECT_EQ(panel.fileList()->count(), 0);
  EXPECT_EQ(panel.folderTree()->ItemCount(), 0);
  QTest::qWait(250);
  QCoreApplication::processEvents();
  EXPECT_EQ(owner.messages.size(), 1u) << "reported once";

  // A source that was missing from the start is not watched.
  ASSERT_FALSE(panel.ApplySource(SourceKind::kFolder, folder));
  QTest::qWait(250);
  QCoreApplication::processEvents();
  EXPECT_EQ(owner.messages.size(), 1u);
}

}  // namespace
