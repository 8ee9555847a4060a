// The main window with the recording browser on a generated card: the
// browser lists the saved source, and another folder or filter closes the
// open recording and opens the new first one.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "browser/folder_tree_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"
#include "player/player_engine_state.h"
#include "scoped_work_folder.h"

namespace {

constexpr int kOpenMs = 20000;

class BrowserInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    options_.folders = 2;
    options_.files = 3;
    options_.seconds = 4;
    options_.width = 160;
    options_.height = 120;
    ASSERT_EQ(mkcard::WriteCard(options_, card_.path().toStdString()), "");
    dcim_ = QDir(card_.path()).filePath(QStringLiteral("DCIM"));
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), dcim_);
  }
  void TearDown() override { DeleteSharedFonts(); }

  ScopedWorkFolder work_;
  QTemporaryDir card_;
  mkcard::CardOptions options_;
  QString dcim_;
};

TEST_F(BrowserInWindow, SavedFolderListedThroughTheBrowser) {
  CKestrelDlg dlg;
  dlg.show();
  CFilerContainer* filer = dlg.filer();
  ASSERT_NE(filer, nullptr);
  EXPECT_EQ(dlg.fileList(), filer->fileList());
  EXPECT_EQ(filer->sourceKind(), SourceKind::kFolder);
  ASSERT_EQ(filer->folderTree()->root()->childCount(), 2);
  EXPECT_EQ(dlg.fileList()->count(), 3);
  EXPECT_EQ(dlg.playback().currentIndex(), -1) << "nothing opens by itself";
  EXPECT_TRUE(dlg.csvExportAvailable()) << "a folder's recordings are listed as CSV too";
}

TEST_F(BrowserInWindow, AnotherFolderClosesTheOpenRecordingAndOpensItsFirst) {
  CKestrelDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  CFileListCtrl* list = dlg.fileList();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(1)).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.playback().openComplete(); }, kOpenMs));
  QSignalSpy opening(&dlg, &CKestrelDlg::openingRecording);
  ASSERT_TRUE(dlg.filer()->SelectNextFolder());
  EXPECT_FALSE(dlg.playback().openComplete());
  EXPECT_EQ(dlg.playback().currentIndex(), -1);
  EXPECT_EQ(list->count(), 3);
  EXPECT_EQ(list->entries().front().path.parent_path().filename(), "101MEDIA");
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.playback().openComplete(); }, kOpenMs));
  EXPECT_EQ(dlg.playback().currentIndex(), 0);
  ASSERT_EQ(opening.count(), 1);
  EXPECT_EQ(opening.at(0).at(0).toInt(), 0);
}

}  // namespace

namespace {

TEST_F(BrowserInWindow, FilterChangeOpensTheNewFirstRow) {
  CKestrelDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  CFileListCtrl* list = dlg.fileList();
  ASSERT_EQ(list->entries().front().triggerInitial, 'A');
  QSignalSpy opening(&dlg, &CKestrelDlg::openingRecording);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(0)).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.playback().openComplete(); }, kOpenMs));
  ASSERT_EQ(opening.count(), 1);

  // A off: row 0 is another recording now, and it opens.
  dlg.filer()->SetFilter(0, false);
  ASSERT_EQ(list->entries().front().triggerInitial, 'M');
  EXPECT_EQ(dlg.playback().currentIndex(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.playback().openComplete(); }, kOpenMs));
  EXPECT_EQ(opening.count(), 2);
  EXPECT_EQ(list->highlightedRow(), 0);
}

}  // namespace
