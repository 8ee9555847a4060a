// Continuous playback through the real window and engine on a generated card
// of three folders whose middle one has lost its recordings: the end of a
// folder goes on with the next folder that has recordings, the end of the
// last folder rewinds and stops at normal speed, and a change of folder opens
// the first recording found from the chosen folder on.
#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "base/app_message.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "browser/folder_tree_ctrl.h"
#include "card_source.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "player/player_engine.h"
#include "scoped_work_folder.h"
#include "views/info_dlg.h"

namespace {

constexpr int kOpenMs = 20000;
constexpr int kFolders = 3;
constexpr int kFiles = 2;

class ContinuousPlay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(card_.ok()) << card_.error();
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), card_.dcim());
    dlg_ = std::make_unique<CKestrelDlg>();
    dlg_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_.get()));
    tree_ = dlg_->filer()->folderTree();
    ASSERT_EQ(tree_->root()->childCount(), kFolders);
    // The middle folder loses its recordings after the card was listed.
    EmptyFolder(1);
  }
  void TearDown() override {
    dlg_.reset();
    DeleteSharedFonts();
  }

  void EmptyFolder(int folder) {
    QDir dir(CFolderTreeCtrl::FolderOf(tree_->root()->child(folder)));
    for (const QString& name : dir.entryList({QStringLiteral("*.MOV")}, QDir::Files)) {
      ASSERT_TRUE(dir.remove(name));
    }
  }
  // The folder (0..2) whose recordings the list shows.
  QString ListedFolder() const {
    const auto& entries = dlg_->fileList()->entries();
    return entries.empty() ? QString()
                           : QString::fromStdString(entries.front().path.parent_path().string());
  }
  QString Folder(int folder) const {
    return CFolderTreeCtrl::FolderOf(tree_->root()->child(folder));
  }
  void ClickRow(int row) {
    CFileListCtrl* list = dlg_->fileList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
  }
  void ClickFolder(int folder) {
    QTreeWidgetItem* item = tree_->root()->child(folder);
    QTest::mouseClick(tree_->viewport(), Qt::LeftButton, Qt::NoModifier,
                      tree_->visualItemRect(item).center());
  }
  bool Playing() const { return dlg_->engineState()->playState == 2; }

  ScopedWorkFolder work_;
  CardSource card_{kFiles, 2, kFolders};
  std::unique_ptr<CKestrelDlg> dlg_;
  CFolderTreeCtrl* tree_ = nullptr;
};

TEST_F(ContinuousPlay, EndOfAFolderGoesOnWithTheNextFolderThatHasRecordingsThenStops) {
  PlayerEngineState* engine = dlg_->engineState();
  ClickRow(kFiles - 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->playback().openComplete(); }, kOpenMs));
  dlg_->OnCommand(kCmdPlayPause);
  dlg_->OnCommand(kCmdFaster);
  dlg_->OnCommand(kCmdFaster);
  ASSERT_TRUE(Playing());
  ASSERT_EQ(engine->rateCode, 4);
  QSignalSpy opening(dlg_.get(), &CKestrelDlg::openingRecording);

  // The first folder's last recording ends: the empty middle folder is
  // passed over and the third folder's first recording plays, still at x4.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return tree_->currentItem() == tree_->root()->child(2) && dlg_->playback().openComplete();
      },
      3 * kOpenMs));
  EXPECT_EQ(ListedFolder(), Folder(2));
  EXPECT_EQ(dlg_->playback().currentIndex(), 0);
  EXPECT_EQ(dlg_->fileList()->highlightedRow(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Playing(); }, kOpenMs));
  EXPECT_EQ(engine->rateCode, 4) << "the speed carries over";
  EXPECT_EQ(dlg_->rateLabelText(), QStringLiteral("再生速度x4.0"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg_->infoDlg()->values().frame > 0; }, kOpenMs))
      << "the views follow the new folder's recording";
  EXPECT_FALSE(dlg_->playback().continuousPlay());

  // Its second recording follows; after it, the last of the last folder,
  // the movie rewinds to its start and stops at normal speed.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return opening.count() == 2 && dlg_->playback().openComplete() && engine->playState == 1;
      },
      3 * kOpenMs));
  EXPECT_EQ(dlg_->playback().currentIndex(), 1);
  EXPECT_EQ(tree_->currentItem(), tree_->root()->child(2));
  EXPECT_EQ(engine->rateCode, 1);
  EXPECT_EQ(dlg_->rateLabelText(), QString());
  EXPECT_EQ(dlg_->infoDlg()->values().frame, 0);
  EXPECT_EQ(dlg_->seekSlider()->pos(), 0);
  EXPECT_FALSE(dlg_->playback().continuousPlay());
  EXPECT_FALSE(dlg_->playButton()->property("pauseLook").toBool());
  QTest::qWait(700);
  EXPECT_EQ(opening.count(), 2) << "nothing opens after the last folder";
  EXPECT_EQ(engine->playState, 1);
}

TEST_F(ContinuousPlay, ChosenFolderOpensTheFirstRecordingFoundFromItOn) {
  PlayerEngineState* engine = dlg_->engineState();
  EXPECT_EQ(dlg_->playback().currentIndex(), -1) << "listing the source opens nothing";

  // The emptied folder: the next folder with recordings is chosen and its
  // first recording opens, stopped.
  ClickFolder(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->playback().openComplete(); }, kOpenMs));
  EXPECT_EQ(tree_->currentItem(), tree_->root()->child(2));
  EXPECT_EQ(ListedFolder(), Folder(2));
  EXPECT_EQ(dlg_->playback().currentIndex(), 0);
  EXPECT_NE(engine->playState, 2);

  // Playing at x2, another folder: its first recording opens at normal speed.
  dlg_->OnCommand(kCmdPlayPause);
  dlg_->OnCommand(kCmdFaster);
  ASSERT_EQ(engine->rateCode, 2);
  ClickFolder(0);
  EXPECT_EQ(ListedFolder(), Folder(0));
  EXPECT_FALSE(dlg_->playback().openComplete()) << "the open recording closed at once";
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->playback().openComplete(); }, kOpenMs));
  EXPECT_EQ(dlg_->playback().currentIndex(), 0);
  EXPECT_EQ(engine->rateCode, 1);
  EXPECT_NE(engine->playState, 2);

  // With no recordings from the chosen folder on, the chosen folder stays,
  // empty, and nothing opens.
  EmptyFolder(2);
  ClickFolder(1);
  QTest::qWait(700);
  EXPECT_EQ(tree_->currentItem(), tree_->root()->child(1));
  EXPECT_EQ(dlg_->fileList()->count(), 0);
  EXPECT_EQ(dlg_->playback().currentIndex(), -1);
  EXPECT_FALSE(dlg_->playback().openComplete());
  EXPECT_FALSE(dlg_->playback().busy());
}

TEST_F(ContinuousPlay, AdvanceMessagesGoOnWithinTheFolderOnly) {
  ClickRow(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->playback().openComplete(); }, kOpenMs));
  // WM_APP+1: the next recording of the list opens and plays.
  PostAppMessage(dlg_.get(), WM_APP_ADVANCE);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return dlg_->playback().currentIndex() == 1 && dlg_->playback().openComplete(); },
      kOpenMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Playing(); }, kOpenMs));
  // At the folder's last recording it stops there: no next folder, and a
  // later selection does not start playing by itself.
  PostAppMessage(dlg_.get(), WM_APP_ADVANCE);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Playing(); }, kOpenMs));
  QTest::qWait(700);
  EXPECT_EQ(tree_->currentItem(), tree_->root()->child(0));
  EXPECT_EQ(dlg_->playback().currentIndex(), 1);
  EXPECT_FALSE(dlg_->playback().continuousPlay());
  ClickRow(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->playback().openComplete(); }, kOpenMs));
  QTest::qWait(300);
  EXPECT_FALSE(Playing());
}

}  // namespace
