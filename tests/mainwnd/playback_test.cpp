// The main window with the real engine on generated recordings: the open
// pipeline, the frame-to-record sync, seeking, and the end of a movie.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

#include "base/app_message.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "container/sensor_track.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "player/engine_messages.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "scoped_work_folder.h"
#include "views/info_dlg.h"
#include "views/info_values.h"

namespace {

constexpr int kOpenMs = 20000;

// A window whose saved source is `folder`, shown.
std::unique_ptr<CKestrelDlg> WindowOn(const QString& folder) {
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), folder);
  auto dlg = std::make_unique<CKestrelDlg>();
  dlg->show();
  return dlg;
}

void ClickRow(CFileListCtrl* list, int row) {
  const QRect place = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
}

// Selects `row` as a click does and waits until its open has completed.
bool OpenRow(CKestrelDlg& dlg, int row) {
  ClickRow(dlg.fileList(), row);
  return QTest::qWaitFor(
      [&] {
        return dlg.playback().currentIndex() == row && dlg.playback().openComplete() &&
               dlg.playback().tickRunning();
      },
      kOpenMs);
}

// Closes the next message box and keeps its caption and text.
struct BoxCatcher {
  QString caption, text;
  BoxCatcher() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [this, timer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      timer->stop();
      timer->deleteLater();
      caption = box->windowTitle();
      text = box->text();
      box->button(QMessageBox::Ok)->click();
    });
    timer->start(20);
  }
};

// A suite of cases on one card of `files` recordings of `seconds` each,
// written once for the suite.
template <int files, int seconds>
class CardTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { card_ = new CardSource(files, seconds); }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(card_->ok()) << card_->error(); }
  void TearDown() override { DeleteSharedFonts(); }

  static inline CardSource* card_ = nullptr;
  ScopedWorkFolder work_;
};

using Playback = CardTest<5, 3>;

TEST_F(Playback, ListsTheSavedSourceInCatalogueOrder) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_EQ(dlg->fileList()->count(), 5);
  for (int row = 0; row < 5; ++row) {
    const QString name = QFileInfo(card_->Path(row)).completeBaseName();
    EXPECT_EQ(dlg->fileList()->item(row)->text(), name);
  }
  QSignalSpy opening(dlg.get(), &CKestrelDlg::openingRecording);
  dlg->activateWindow();
  dlg->fileList()->setFocus();
  QTest::qWait(700);
  EXPECT_EQ(opening.count(), 0) << "the list's focus alone selects nothing";
  EXPECT_EQ(dlg->playback().currentIndex(), -1);
  EXPECT_FALSE(dlg->playButton()->isEnabled()) << "nothing is open yet";
}

TEST_F(Playback, FiveQuickSelectionsOpenOnlyTheLast) {
  auto dlg = WindowOn(card_->dcim());
  QSignalSpy opening(dlg.get(), &CKestrelDlg::openingRecording);
  for (int row = 0; row < 5; ++row) {
    ClickRow(dlg->fileList(), row);
    QTest::qWait(60);
  }
  EXPECT_TRUE(dlg->playback().busy()) << "the wait cursor shows while the open is pending";
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->playback().openComplete(); }, kOpenMs));
  ASSERT_EQ(opening.count(), 1);
  EXPECT_EQ(opening.at(0).at(0).toInt(), 4);
  EXPECT_EQ(dlg->playback().currentIndex(), 4);
  EXPECT_EQ(dlg->fileList()->highlightedRow(), 4);
  EXPECT_FALSE(dlg->playback().busy());
  EXPECT_TRUE(dlg->playback().readyToOpen());
}

TEST_F(Playback, PanelShowsTheTrackRecordOfEachFrame) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 1));
  PlayerEngineState* engine = dlg->engineState();
  const std::int64_t frames = engine::GetFrameCount(engine);
  ASSERT_GT(frames, 80);
  EXPECT_EQ(dlg->seekSlider()->rangeMax(), frames);

  // The reader's own frame mapping of the file, beside the generator's plan.
  SensorTrack track;
  track.frameTime = engine::GetFrameUnit(engine);
  ASSERT_TRUE(track.Load(card_->Path(1).toStdString()));
  ASSERT_TRUE(track.MapFrames(frames));
  const mkcard::RecordingPlan& plan = card_->Plan(1);
  for (int frame : {0, 1, 29, 30, 31, 47, 60, static_cast<int>(frames) - 1}) {
    SCOPED_TRACE(frame);
    dlg->playback().SyncViewsToFrame(frame);
    const InfoValues& v = dlg->infoDlg()->values();
    const AccelRecord& a = *track.frameIndex.at(frame);
    const mkcard::SensorSample& sample = plan.samples.at(a.sequence);
    EXPECT_EQ(v.frame, frame);
    EXPECT_DOUBLE_EQ(v.accelX, sample.gx / 1000.0);
    EXPECT_DOUBLE_EQ(v.accelY, sample.gy / 1000.0);
    EXPECT_DOUBLE_EQ(v.accelZ, sample.gz / 1000.0);
    ASSERT_NE(a.position, nullptr);
    const mkcard::SensorSample& fix = plan.samples.at(a.position->sequence);
    EXPECT_EQ(v.fixValid, fix.fix ? 1 : 0);
    if (fix.fix) {
      EXPECT_DOUBLE_EQ(v.speed, fix.speed);
    } else {
      EXPECT_DOUBLE_EQ(v.speed, -1.0);
    }
    EXPECT_EQ(dlg->seekSlider()->pos(), frame);
  }
  // The date shown is the recording's start plus the frame's time.
  dlg->playback().SyncViewsToFrame(0);
  const mkcard::LocalClock& start = plan.start;
  EXPECT_EQ(InfoDateTimeText(dlg->infoDlg()->values()),
            QString::asprintf("%02d/%02d/%02d %02d:%02d:%02d", start.year, start.month, start.day,
                              start.hour, start.minute, start.second));
  EXPECT_EQ(dlg->infoDlg()->values().quality, 0) << "180 lines have no quality code";

  // Opening wrote the recording's details into its list entry.
  const FileEntry& entry = dlg->fileList()->entries().at(1);
  EXPECT_FLOAT_EQ(entry.frameRate, 1000.0f / engine::GetFrameUnit(engine));
  EXPECT_EQ(entry.startTime.year, start.year);
  EXPECT_EQ(entry.startTime.month, start.month);
  EXPECT_EQ(entry.startTime.day, start.day);
  EXPECT_EQ(entry.startTime.hour, start.hour);
  EXPECT_EQ(entry.startTime.minute, start.minute);
  EXPECT_EQ(entry.startTime.second, start.second);
}

TEST_F(Playback, FrameBeyondTheIndexShowsNoValues) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 0));
  dlg->playback().SyncViewsToFrame(40);
  ASSERT_GT(dlg->infoDlg()->values().accelX, -5.0);
  ASSERT_EQ(dlg->engineOps().ReleaseTrack(dlg->engineState()), 1);  // the index is now empty
  dlg->playback().SyncViewsToFrame(40);
  const InfoValues& v = dlg->infoDlg()->values();
  EXPECT_EQ(v.accelX, -5.0);
  EXPECT_EQ(v.accelY, -5.0);
  EXPECT_EQ(v.accelZ, -5.0);
  EXPECT_EQ(v.fixValid, 0);
  EXPECT_EQ(InfoAccelText(v.accelX), std::nullopt);
  EXPECT_EQ(InfoSpeedText(v), std::nullopt);
  EXPECT_EQ(v.frame, 40);
}

TEST_F(Playback, SecondTrackLoadedMessageForOneOpenDoesNothing) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 0));
  dlg->playback().SyncViewsToFrame(50);
  AppMessageEvent again(WM_APP_TRACK_LOADED, 1, 1);
  QApplication::sendEvent(dlg.get(), &again);
  AppMessageEvent earlier(WM_APP_TRACK_LOADED, 0, 1);
  QApplication::sendEvent(dlg.get(), &earlier);
  QTest::qWait(100);
  EXPECT_EQ(dlg->infoDlg()->values().frame, 50) << "no second FinishOpen went back to frame 0";
  EXPECT_EQ(dlg->playback().pendingSyncFrame(), 50);
  EXPECT_EQ(dlg->engineState()->trackLoaded, 1);
}

TEST_F(Playback, FailedOpenShowsTheMessageAndGivesTheControlsBack) {
  auto dlg = WindowOn(card_->dcim());
  const QString moved = card_->Path(2) + QStringLiteral(".away");
  ASSERT_TRUE(QFile::rename(card_->Path(2), moved));
  BoxCatcher box;
  ClickRow(dlg->fileList(), 2);
  const bool settled =
      QTest::qWaitFor([&] { return !box.text.isEmpty() && !dlg->playback().busy(); }, kOpenMs);
  QFile::rename(moved, card_->Path(2));
  ASSERT_TRUE(settled);
  EXPECT_EQ(box.caption, QStringLiteral("ERROR"));
  EXPECT_EQ(box.text, QStringLiteral("動画のオープンに失敗しました。"));
  EXPECT_TRUE(dlg->playback().readyToOpen());
  EXPECT_FALSE(dlg->playback().openComplete());
  EXPECT_TRUE(dlg->infoDlg()->isEnabled());
  EXPECT_TRUE(dlg->seekSlider()->enabledFlag());
  EXPECT_EQ(dlg->engineState()->playState, 0) << "the previous movie stays closed";
  ASSERT_TRUE(OpenRow(*dlg, 3)) << "the next selection opens normally";
}

TEST_F(Playback, TrackThatCannotBeReadLeavesTheMovieOpenedButNotLoaded) {
  auto dlg = WindowOn(card_->dcim());
  const QString moved = card_->Path(3) + QStringLiteral(".away");
  // Once the engine has the movie open, its file goes away before the
  // loader reads the track.
  QObject::connect(dlg.get(), &CKestrelDlg::recordingOpened,
                   [&] { QFile::rename(card_->Path(3), moved); });
  ClickRow(dlg->fileList(), 3);
  const bool done = QTest::qWaitFor([&] { return dlg->playback().openComplete(); }, kOpenMs);
  QTest::qWait(200);
  QFile::rename(moved, card_->Path(3));
  ASSERT_TRUE(done);
  EXPECT_EQ(dlg->engineState()->playState, 1) << "opened";
  EXPECT_EQ(dlg->engineState()->trackLoaded, 0);
  EXPECT_FALSE(dlg->playback().tickRunning());
  EXPECT_FALSE(dlg->playback().busy());
  EXPECT_EQ(dlg->seekSlider()->rangeMax(), 0) << "the slider is not set up";
}

// Swallows the engine's ready message, as if the open never completed.
class ReadyEater : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    return static_cast<int>(event->type()) == WM_MEDIA_READY;
  }
};

TEST_F(Playback, WatchdogGivesTheControlsBackWhenAnOpenNeverCompletes) {
  auto dlg = WindowOn(card_->dcim());
  ReadyEater eater;
  dlg->videoSurface()->installEventFilter(&eater);
  QSignalSpy opening(dlg.get(), &CKestrelDlg::openingRecording);
  ClickRow(dlg->fileList(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return opening.count() == 1; }, kOpenMs));
  QTest::qWait(1000);
  EXPECT_TRUE(dlg->playback().busy());
  EXPECT_FALSE(dlg->playback().readyToOpen());
  EXPECT_FALSE(dlg->seekSlider()->enabledFlag());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg->playback().busy(); },
                              PlaybackCoordinator::kOpenWatchdogMs + 5000));
  EXPECT_TRUE(dlg->playback().readyToOpen());
  EXPECT_TRUE(dlg->seekSlider()->enabledFlag());
  EXPECT_TRUE(dlg->infoDlg()->isEnabled());
  EXPECT_FALSE(dlg->playback().openComplete());
  dlg->videoSurface()->removeEventFilter(&eater);
  ASSERT_TRUE(OpenRow(*dlg, 2)) << "the next selection opens";
}

TEST_F(Playback, EndOfTheClosedMovieDoesNotSkipTheOneOpened) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 0));
  QSignalSpy opening(dlg.get(), &CKestrelDlg::openingRecording);
  // The old movie's end arrives while the next one is being opened.
  QObject::connect(dlg.get(), &CKestrelDlg::openingRecording,
                   [&] { PostAppMessage(dlg->videoSurface(), WM_MEDIA_ENDED); });
  ASSERT_TRUE(OpenRow(*dlg, 2));
  QTest::qWait(1500);
  EXPECT_EQ(dlg->playback().currentIndex(), 2);
  EXPECT_EQ(opening.count(), 1);
}

TEST_F(Playback, EndOfARecordingOpensTheNextAndPlaysIt) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 2));
  dlg->playback().OnPlayPause();
  ASSERT_EQ(dlg->engineState()->playState, 2);
  EXPECT_TRUE(dlg->playButton()->property("pauseLook").toBool());
  QSignalSpy opening(dlg.get(), &CKestrelDlg::openingRecording);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return dlg->playback().currentIndex() == 3 && dlg->playback().openComplete(); },
      3 * kOpenMs));
  EXPECT_EQ(opening.count(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->engineState()->playState == 2; }, kOpenMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg->infoDlg()->values().frame > 0; }, kOpenMs))
      << "the tick follows the new movie";
  EXPECT_EQ(dlg->fileList()->currentRow(), 3);
}

TEST_F(Playback, EndOfTheLastRecordingRewindsAndStops) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 4));
  dlg->playback().OnPlayPause();
  ASSERT_EQ(dlg->engineState()->playState, 2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->infoDlg()->values().frame > 30; }, kOpenMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->engineState()->playState == 1; }, kOpenMs));
  EXPECT_EQ(dlg->playback().currentIndex(), 4) << "no recording after the last";
  EXPECT_EQ(dlg->infoDlg()->values().frame, 0);
  EXPECT_EQ(dlg->seekSlider()->pos(), 0);
  EXPECT_FALSE(dlg->playButton()->property("pauseLook").toBool());
}

TEST_F(Playback, RateLabelNamesTheSpeed) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 0));
  dlg->playback().OnPlayPause();
  PlayerEngineState* engine = dlg->engineState();
  const struct {
    int code;
    QString label;
  } cases[] = {
      {2, QStringLiteral("再生速度x2.0")}, {4, QStringLiteral("再生速度x4.0")}, {1, QString()}};
  for (const auto& c : cases) {
    engine::SetRate(engine, c.code);
    ASSERT_EQ(engine->rateCode, c.code);
    EXPECT_TRUE(dlg->playback().UpdateRateLabel());
    EXPECT_EQ(dlg->rateLabelText(), c.label) << c.code;
  }
}

TEST_F(Playback, AxisTogglesOfThePanelSwitchTheGraphChannels) {
  auto dlg = WindowOn(card_->dcim());
  dlg->infoDlg()->axisToggle(1)->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg->mapAndMarks().channelShown(1); }, 2000));
  EXPECT_FALSE(dlg->mapAndMarks().channelSentToMap(1));
  EXPECT_TRUE(dlg->mapAndMarks().channelShown(0));
  EXPECT_TRUE(dlg->mapAndMarks().channelShown(2));
  dlg->infoDlg()->axisToggle(1)->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->mapAndMarks().channelShown(1); }, 2000));
  EXPECT_TRUE(dlg->mapAndMarks().channelSentToMap(1));
}

TEST_F(Playback, CloseRecordingClearsEverythingAndTheRowOpensAgain) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 1));
  dlg->playback().SyncViewsToFrame(30);
  dlg->playback().CloseRecording();
  EXPECT_EQ(dlg->playback().currentIndex(), -1);
  EXPECT_EQ(dlg->engineState()->playState, 0);
  EXPECT_EQ(dlg->engineState()->trackLoaded, 0);
  EXPECT_FALSE(dlg->playback().openComplete());
  EXPECT_FALSE(dlg->playback().tickRunning());
  EXPECT_TRUE(dlg->playback().nothingShown());
  EXPECT_EQ(dlg->seekSlider()->rangeMax(), 0);
  EXPECT_EQ(dlg->infoDlg()->values().frame, -1);
  EXPECT_EQ(dlg->infoDlg()->values().accelX, -5.0);
  EXPECT_EQ(dlg->fileList()->highlightedRow(), -1);
  EXPECT_EQ(engine::GetFrameCount(dlg->engineState()), 0);
  ASSERT_TRUE(OpenRow(*dlg, 1));
}

TEST_F(Playback, VolumeSliderChangesAndSavesTheVolume) {
  auto dlg = WindowOn(card_->dcim());
  CSkinSliderCtrl* slider = dlg->volumeSlider();
  EXPECT_EQ(slider->pos(), 65535);
  QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width() / 4, 5));
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->playback().volumeLevel() < 65535; }, 2000));
  EXPECT_NEAR(dlg->playback().volumeLevel(), 65536 / 4, 700);
  EXPECT_EQ(ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("VOLUME")),
            QString::number(dlg->playback().volumeLevel()));
  EXPECT_EQ(dlg->engineState()->volume, dlg->playback().volumeLevel());
  EXPECT_EQ(slider->pos(), dlg->playback().volumeLevel());
}

// A recording long enough for seeks to frame 1000.
using LongPlayback = CardTest<1, 40>;

TEST_F(LongPlayback, ViewsWaitForTheEngineToArriveNearASeekTarget) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 0));
  PlayerEngineState* engine = dlg->engineState();
  ASSERT_GE(engine::GetFrameCount(engine), 1100);
  dlg->playback().OnPlayPause();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->infoDlg()->values().frame > 0; }, kOpenMs));

  // The views go to 1000 while the engine still plays near the start.
  dlg->playback().SyncViewsToFrame(1000);
  QTest::qWait(400);
  const std::int32_t reported = engine::GetPosition(engine);
  ASSERT_LT(reported, 1000 - 31);
  EXPECT_EQ(dlg->playback().pendingSyncFrame(), 1000);
  EXPECT_EQ(dlg->infoDlg()->values().frame, 1000);
  EXPECT_EQ(dlg->seekSlider()->pos(), 1000);

  // Once the engine gets there, the tick follows it again.
  engine::SeekWhilePlaying(engine, 990);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->playback().pendingSyncFrame() == -1; }, kOpenMs));
  EXPECT_GT(dlg->infoDlg()->values().frame, 1000 - 31);

  // A target within the margin of where the engine is syncs at the next tick.
  const std::int32_t now = engine::GetPosition(engine);
  dlg->playback().SyncViewsToFrame(now + 10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg->playback().pendingSyncFrame() == -1; }, 2000));
}

TEST_F(LongPlayback, SeekSliderDragFromTheThumbSeeksOnReleaseAndAClickBesideItSeeksAtOnce) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 0));
  PlayerEngineState* engine = dlg->engineState();
  dlg->playback().OnPlayPause();
  ASSERT_EQ(engine->playState, 2);
  CSkinSliderCtrl* slider = dlg->seekSlider();
  const auto frameAt = [&](int x) {
    return CSkinSliderCtrl::PositionAt(x, slider->width(), slider->rangeMin(), slider->rangeMax());
  };
  // The thumb is as wide as the slider is high.
  const int thumbX = CSkinSliderCtrl::ThumbLeft(slider->pos(), slider->width(), slider->height(),
                                                slider->rangeMin(), slider->rangeMax()) +
                     slider->height() / 2;

  // A drag from the thumb: the views follow it, the movie waits paused.
  QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(thumbX, 5));
  ASSERT_FALSE(slider->pressedOutsideThumb());
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine->playState == 3; }, 2000)) << "paused";
  QTest::mouseMove(slider, QPoint(400, 5));
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->infoDlg()->values().frame == frameAt(400); }, 2000))
      << "the views follow the thumb";
  QTest::qWait(300);
  EXPECT_LT(engine::GetPosition(engine), frameAt(400) - 100) << "no seek before the release";
  QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(400, 5));
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine->playState == 2; }, 2000)) << "plays again";
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return engine::GetPosition(engine) >= frameAt(400) &&
               dlg->playback().pendingSyncFrame() == -1;
      },
      kOpenMs));

  // A press away from the thumb seeks there at once and plays on; the drag
  // and release after it change nothing.
  QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(100, 5));
  ASSERT_TRUE(slider->pressedOutsideThumb());
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const std::int32_t at = engine::GetPosition(engine);
        return engine->playState == 2 && at >= frameAt(100) && at < frameAt(400);
      },
      kOpenMs));
  QTest::mouseMove(slider, QPoint(500, 5));
  QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(500, 5));
  QTest::qWait(500);
  EXPECT_EQ(engine->playState, 2);
  EXPECT_LT(engine::GetPosition(engine), frameAt(400));
  EXPECT_LT(dlg->infoDlg()->values().frame, frameAt(400));
}

TEST_F(LongPlayback, SeekStopsShortOfTheEndButShowsTheFrame) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(OpenRow(*dlg, 0));
  PlayerEngineState* engine = dlg->engineState();
  const std::int64_t frames = engine::GetFrameCount(engine);
  dlg->playback().SeekTo(static_cast<int>(frames) - 5);
  EXPECT_EQ(dlg->infoDlg()->values().frame, frames - 5);
  EXPECT_TRUE(QTest::qWaitFor([&] { return engine::GetPosition(engine) == frames - 20; }, 5000))
      << "the engine stops 20 frames short at normal speed, at " << engine::GetPosition(engine);
}

}  // namespace
