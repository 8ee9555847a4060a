// The main window's smaller messages, posted to the real window with a
// recording open: the refresh of the slider's range and of a frame, the
// one-frame-per-second seek, the end of an open finished elsewhere, and the
// messages that mean nothing to it.
#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "base/app_message.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "player/engine_messages.h"
#include "player/player_engine.h"
#include "scoped_work_folder.h"
#include "views/info_dlg.h"

namespace {

constexpr int kOpenMs = 20000;

TEST(WindowMessages, EachMessageDoesWhatItSaysAndTheIgnoredOnesNothing) {
  ScopedWorkFolder work;
  CardSource card(2, 3);
  ASSERT_TRUE(card.ok()) << card.error();
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), card.dcim());
  {
    CKestrelDlg dlg;
    dlg.show();
    CFileListCtrl* list = dlg.fileList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(0)).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.playback().openComplete(); }, kOpenMs));
    PlayerEngineState* engine = dlg.engineState();
    const int frames = static_cast<int>(engine::GetFrameCount(engine));
    ASSERT_GT(frames, 60);
    CSkinSliderCtrl* slider = dlg.seekSlider();
    const auto post = [&](int message, std::intptr_t w, std::intptr_t l) {
      PostAppMessage(&dlg, message, w, l);
      QTest::qWait(50);
    };

    // The slider's range only, then a frame shown again.
    slider->SetRangeMax(0);
    post(WM_APP_REFRESH, 0, -1);
    EXPECT_EQ(slider->rangeMax(), frames);
    EXPECT_EQ(dlg.infoDlg()->values().frame, 0);
    post(WM_APP_REFRESH, 1, 30);
    EXPECT_EQ(dlg.infoDlg()->values().frame, 30);
    EXPECT_EQ(slider->pos(), 30);

    // One frame a second: the engine is put on the frame.
    post(WM_SLOW_FRAME, 0, 45);
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine::GetPosition(engine) == 45; }, 5000))
        << engine::GetPosition(engine);

    // An open finished elsewhere: the play button follows wParam.
    post(WM_APP_OPEN_FINISHED, 1, 0);
    EXPECT_TRUE(dlg.playButton()->property("pauseLook").toBool());
    post(WM_APP_OPEN_FINISHED, 0, 0);
    EXPECT_FALSE(dlg.playButton()->property("pauseLook").toBool());
    EXPECT_FALSE(dlg.playback().busy());

    // Messages without a meaning here change nothing.
    post(WM_APP_RELAYOUT, 0, 0);
    for (const int message : {0x8002, 0x825D, 0x825E, 0x8385}) post(message, 1, 1);
    EXPECT_EQ(dlg.playback().currentIndex(), 0);
    EXPECT_TRUE(dlg.playback().openComplete());
    EXPECT_EQ(dlg.infoDlg()->values().frame, 30);
    EXPECT_NE(engine->playState, 2);

    // The end of one frame a second goes on with the next recording.
    post(WM_SLOW_END, 0, frames);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dlg.playback().currentIndex() == 1 && dlg.playback().openComplete(); },
        kOpenMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->playState == 2; }, kOpenMs));
  }
  DeleteSharedFonts();
}

}  // namespace
