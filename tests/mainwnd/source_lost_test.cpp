// A source that vanishes while a recording plays: everything stops, closes
// and is listed again; the program goes on, unless it runs from the medium
// that went away, and then it ends.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "browser/folder_tree_ctrl.h"
#include "card_source.h"
#include "controls/skin_button.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mkcard/card_writer.h"
#include "player/player_engine_state.h"
#include "scoped_work_folder.h"
#include "scratch_mount.h"
#include "viewer_process.h"

namespace {

constexpr int kOpenMs = 20000;

TEST(SourceLost, RemovedFolderStopsEverythingAndTheProgramGoesOn) {
  ScopedWorkFolder work;
  CardSource card(3, 3, 2);
  ASSERT_TRUE(card.ok()) << card.error();
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), card.dcim());
  {
    CKestrelDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    CFileListCtrl* list = dlg.fileList();
    ASSERT_EQ(list->count(), 3);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(1)).center());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dlg.playback().openComplete() && dlg.playback().tickRunning(); }, kOpenMs));
    dlg.OnCommand(kCmdPlayPause);
    dlg.OnCommand(kCmdFaster);
    dlg.OnCommand(kCmdZoom);
    PlayerEngineState* engine = dlg.engineState();
    ASSERT_EQ(engine->playState, 2);
    ASSERT_EQ(engine->rateCode, 2);
    ASSERT_TRUE(dlg.windowModes().zoomMode());

    ASSERT_TRUE(QDir(card.dcim()).removeRecursively());
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->count() == 0; }, 3000));
    EXPECT_FALSE(dlg.playback().openComplete());
    EXPECT_EQ(dlg.playback().currentIndex(), -1);
    EXPECT_NE(engine->playState, 2);
    EXPECT_FALSE(dlg.playback().tickRunning());
    EXPECT_EQ(engine->rateCode, 1);
    EXPECT_EQ(dlg.rateLabelText(), QString());
    EXPECT_FALSE(dlg.windowModes().zoomMode());
    EXPECT_EQ(dlg.filer()->folderTree()->ItemCount(), 0);
    EXPECT_FALSE(dlg.csvExportAvailable());
    EXPECT_FALSE(dlg.playButton()->isEnabled());
    // The test program does not run from the removed folder's medium.
    EXPECT_NE(dlg.programMountPoint(), QString());
    EXPECT_TRUE(dlg.isVisible()) << "the program goes on";
    EXPECT_FALSE(dlg.shutDown());
    QTest::qWait(700);  // no open of a vanished recording follows
    EXPECT_FALSE(dlg.playback().busy());

    // The folder back: the source is listed again only when asked for.
    CardSource again(1, 2, 1);
    ASSERT_TRUE(again.ok()) << again.error();
    EXPECT_TRUE(dlg.ListSource(SourceKind::kFolder, again.dcim()));
    EXPECT_EQ(list->count(), 1);
  }
  DeleteSharedFonts();
}

// The viewer started from a copy of its program on a medium of its own (a
// file system the test mounts), browsing that medium's DCIM folder: when
// the folder goes, the viewer shuts down and ends.
TEST(SourceLost, ViewerRunFromTheLostMediumEndsCleanly) {
  ScratchMount medium(std::uint64_t{512} << 20);
  if (!medium.ok()) GTEST_SKIP() << medium.error() << " (the mount rule is tested on tables)";
  const std::filesystem::path program = medium.path() / "kestrel";
  std::filesystem::copy_file(KESTREL_VIEWER_PATH, program);
  mkcard::CardOptions options;
  options.folders = 1;
  options.files = 2;
  options.seconds = 2;
  options.width = 160;
  options.height = 120;
  ASSERT_EQ(mkcard::WriteCard(options, medium.path().string()), "");
  const QString dcim = QString::fromStdString((medium.path() / "DCIM").string());

  QTemporaryDir work;
  ViewerProcess viewer(QString::fromStdString(program.string()), {dcim}, work.path());
  ASSERT_TRUE(viewer.WaitStarted(kOpenMs, 1500)) << "the viewer is up and stays up";
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(QDir(dcim).removeRecursively());
  const qint64 ms = viewer.MsToExit(clock, 5000);
  ASSERT_GE(ms, 0) << "the viewer still runs";
  ::testing::Test::RecordProperty("exit_ms", static_cast<int>(ms));
  EXPECT_LT(ms, 2000);
  EXPECT_TRUE(viewer.ExitedCleanly());
}

}  // namespace
