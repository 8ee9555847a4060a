// Previous/next event through the real window on a generated recording:
// the graph's messages move the picture and the cursor from mark to mark.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "base/app_message.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "container/event_marks.h"
#include "container/sensor_track.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/player_engine.h"
#include "scoped_work_folder.h"
#include "views/g_sensor_dlg.h"

namespace {

constexpr int kOpenMs = 20000;
constexpr int kIconKind = 0x81F5;

// The event frames of the recording, read from its file on its own.
std::vector<int> EventFrames(const QString& path, float frameTime, std::int64_t frames,
                             const EventChannelSwitches& switches) {
  SensorTrack track;
  track.frameTime = frameTime;
  std::vector<int> result;
  if (!track.Load(path.toStdString()) || !track.MapFrames(frames)) return result;
  // The continuous recording: its impacts are no events.
  for (const EventMark& mark : CollectEventMarks(track, switches, false)) {
    result.push_back(mark.record->frame);
  }
  return result;
}

class EventNavigation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { card_ = new CardSource(1, 6); }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(card_->ok()) << card_->error();
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), card_->dcim());
    dlg_ = std::make_unique<CKestrelDlg>();
    dlg_->show();
  }
  void TearDown() override {
    dlg_.reset();
    DeleteSharedFonts();
  }

  bool Open() {
    CFileListCtrl* list = dlg_->fileList();
    const QRect place = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
    return QTest::qWaitFor(
        [&] { return dlg_->playback().openComplete() && dlg_->playback().tickRunning(); }, kOpenMs);
  }

  // Clicks the graph for `message` (the left button for the previous event,
  // the right for the next) with the cursor at `from` and returns where the
  // cursor went.
  std::int64_t Walk(int from, int message) {
    dlg_->playback().SeekTo(from);
    EXPECT_EQ(dlg_->gSensorDlg()->cursorFrame(), from);
    const Qt::MouseButton button =
        message == CGSensorDlg::kMessagePrevEvent ? Qt::LeftButton : Qt::RightButton;
    QTest::mouseClick(dlg_->gSensorDlg(), button);
    QTest::qWait(100);
    EXPECT_EQ(dlg_->seekSlider()->pos(), dlg_->gSensorDlg()->cursorFrame());
    return dlg_->gSensorDlg()->cursorFrame();
  }

  static inline CardSource* card_ = nullptr;
  ScopedWorkFolder work_;
  std::unique_ptr<CKestrelDlg> dlg_;
};

TEST_F(EventNavigation, WalksTheMarksBothWaysWrappingAndSkippingSwitchedOffKinds) {
  // Without a recording nothing moves.
  PostAppMessage(dlg_.get(), CGSensorDlg::kMessageNextEvent);
  PostAppMessage(dlg_.get(), CGSensorDlg::kMessagePrevEvent);
  QTest::qWait(100);
  EXPECT_EQ(dlg_->gSensorDlg()->cursorFrame(), 0);

  ASSERT_TRUE(Open());
  PlayerEngineState* engine = dlg_->engineState();
  const std::int64_t frames = dlg_->engineOps().GetFrameCountAlt(engine);
  const std::vector<int> all = EventFrames(card_->Path(0), engine->frameUnitMs, frames, {});
  ASSERT_GE(all.size(), 4u) << "the generator marks four events on a continuous recording";

  const int mid = (all[1] + all[2]) / 2;
  EXPECT_EQ(Walk(mid, CGSensorDlg::kMessageNextEvent), all[2]);
  EXPECT_EQ(Walk(mid, CGSensorDlg::kMessagePrevEvent), all[1]);
  EXPECT_EQ(Walk(all.front(), CGSensorDlg::kMessagePrevEvent), all.back()) << "wraps to the last";
  EXPECT_EQ(Walk(all.back(), CGSensorDlg::kMessageNextEvent), all.front()) << "wraps to the first";

  // The cursor is drawn where the picture is.
  const QImage graph = dlg_->gSensorDlg()->grab().toImage();
  const int x = static_cast<int>(static_cast<float>(all.front()) *
                                 (static_cast<float>(graph.width() - 50) /
                                  static_cast<float>(dlg_->seekSlider()->rangeMax()))) +
                50;
  EXPECT_EQ(graph.pixelColor(x, 170), QColor(Qt::white));

  // Drive assist switched off (the settings dialog's first box): its marks
  // are skipped. Box 4 does not exist and changes nothing.
  PostAppMessage(dlg_.get(), kIconKind, 4, 0);
  PostAppMessage(dlg_.get(), kIconKind, 0, 0);
  QTest::qWait(100);
  EXPECT_FALSE(dlg_->mapAndMarks().channelShown(kChannelDriveAssist));
  EXPECT_FALSE(dlg_->mapAndMarks().channelSentToMap(kChannelDriveAssist));
  EventChannelSwitches noAssist{};
  noAssist[kChannelDriveAssist] = {false, false};
  const std::vector<int> rest = EventFrames(card_->Path(0), engine->frameUnitMs, frames, noAssist);
  ASSERT_FALSE(rest.empty());
  ASSERT_LT(rest.size(), all.size());
  EXPECT_EQ(Walk(0, CGSensorDlg::kMessageNextEvent), rest.front());
  EXPECT_EQ(Walk(rest.front(), CGSensorDlg::kMessagePrevEvent), rest.back());
  EXPECT_EQ(dlg_->mapAndMarks().eventList().size(), rest.size());
}

}  // namespace
