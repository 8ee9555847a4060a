// The main window's vehicle meters over generated recordings, and its
// update check against a server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "container/sensor_track.h"
#include "local_http_server.h"
#include "mainwnd/kestrel_dlg.h"
#include "map/google_map_dlg_wrap.h"
#include "player/player_engine.h"
#include "scoped_work_folder.h"
#include "update/update_dialog.h"
#include "update/version_rules.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"
#include "views/obd_dlg.h"

namespace {

constexpr int kOpenMs = 20000;

std::unique_ptr<CKestrelDlg> WindowOn(const QString& folder) {
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), folder);
  auto dlg = std::make_unique<CKestrelDlg>();
  dlg->show();
  return dlg;
}

bool OpenRow(CKestrelDlg& dlg, int row) {
  const QRect place = dlg.fileList()->visualItemRect(dlg.fileList()->item(row));
  QTest::mouseClick(dlg.fileList()->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
  return QTest::qWaitFor(
      [&] {
        return dlg.playback().currentIndex() == row && dlg.playback().openComplete() &&
               dlg.playback().tickRunning();
      },
      kOpenMs);
}

// Ticks the slot's timer until its needle rests and returns the value shown.
int Settled(CObdDlg& meters, int slot) {
  for (int tick = 0; tick < 400; ++tick) {
    meters.OnTimer(slot);
    if (!meters.animating(slot)) return meters.needleValue(slot);
  }
  return -1;
}

class MetersAndUpdate : public ::testing::Test {
 protected:
  // A driving recording and, fourth in the card, a parking one.
  static void SetUpTestSuite() { card_ = new CardSource(4, 2); }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(card_->ok()) << card_->error(); }
  void TearDown() override { DeleteSharedFonts(); }

  static inline CardSource* card_ = nullptr;
  ScopedWorkFolder work_;
};

TEST_F(MetersAndUpdate, MetersFollowTheRecordingsVehicleWords) {
  auto dlg = WindowOn(card_->dcim());
  ASSERT_EQ(card_->Plan(3).trigger, 'P');
  CObdDlg* meters = dlg->meters().obdDlg();
  EXPECT_FALSE(meters->isVisible());
  dlg->meters().ShowObdMeters();
  ASSERT_TRUE(meters->isVisible());
  EXPECT_EQ(meters->windowTitle(), UiText(140));
  EXPECT_EQ(meters->size(),
            QSize(dlg->infoDlg()->width(), dlg->infoDlg()->height() + dlg->gSensorDlg()->height()));

  for (const int row : {0, 3}) {
    SCOPED_TRACE(row);
    ASSERT_TRUE(OpenRow(*dlg, row));
    // While the recording plays, a list changed stays locked.
    ASSERT_TRUE(dlg->playback().PlayCurrent());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->engineState()->playState == 2; }, kOpenMs));
    meters->list(2)->setCurrentIndex(kMeterCoolant);
    EXPECT_FALSE(meters->list(2)->isEnabled());
    dlg->playback().PauseCurrent();
    meters->OnTimer(0);
    EXPECT_TRUE(meters->list(2)->isEnabled());

    PlayerEngineState* engine = dlg->engineState();
    const std::int64_t frames = engine::GetFrameCount(engine);
    SensorTrack track;
    track.frameTime = engine::GetFrameUnit(engine);
    ASSERT_TRUE(track.Load(card_->Path(row).toStdString()));
    ASSERT_TRUE(track.MapFrames(frames));
    const mkcard::RecordingPlan& plan = card_->Plan(row);
    for (const int frame : {0, 17, 30, static_cast<int>(frames) - 1}) {
      SCOPED_TRACE(frame);
      dlg->playback().SyncViewsToFrame(frame);
      // The frame's linked vehicle record (the one of its position).
      const VehicleRecord* vehicle = track.frameIndex.at(frame)->vehicle;
      ASSERT_NE(vehicle, nullptr);
      const auto& words = plan.samples.at(vehicle->sequence).vehicleWords;
      const bool parked = row == 3;
      EXPECT_EQ(words[3] == mkcard::kMissingWord, parked);
      // The generator's words: coolant in degrees + 40, manifold in kPa,
      // rpm, km/h, throttle in tenths of a percent.
      const int expected[] = {parked ? 0 : words[7] / 10, parked ? 0 : words[2] / 100,
                              parked ? 90 : words[1] - 11, parked ? 0 : words[0] - 40,
                              parked ? 0 : words[3]};
      for (int kind = 0; kind < kMeterKindCount; ++kind) {
        meters->list(kind % 3)->setCurrentIndex(kind);
        EXPECT_EQ(Settled(*meters, kind % 3), expected[kind]) << "kind " << kind;
      }
    }
  }
  meters->close();
  QApplication::processEvents();
  EXPECT_FALSE(meters->isVisible());
}

TEST_F(MetersAndUpdate, UpdateCheckRunsOnceTheMapIsReady) {
  // A local tile folder: the map's page gets ready without a network.
  QTemporaryDir tiles;
  WriteIniString(QStringLiteral("MAP"), QStringLiteral("TILE_URL"), tiles.path());
  {
    auto quiet = WindowOn(card_->dcim());
    EXPECT_FALSE(quiet->meters().updateCheck().started()) << "no server set, no check";
  }
  qunsetenv("http_proxy");  // the server is reached directly
  LocalHttpServer server;
  server.SetAnswer(std::string(kFirmwareVersionPath), {200, "VER:9.9.9\r\n"});
  server.SetAnswer(std::string(kViewerVersionPath), {200, "VER:2.0.0.0\r\n"});
  const QString host = QStringLiteral("127.0.0.1:%1").arg(server.port());
  WriteIniString(QStringLiteral("UPDATE"), QStringLiteral("SERVER"), host);
  auto dlg = WindowOn(card_->dcim());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->meters().updateCheck().started(); }, 20000));
  EXPECT_TRUE(dlg->mapAndMarks().map()->pageInitialised());
  EXPECT_FALSE(dlg->meters().StartUpdateCheck()) << "once a run";
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->meters().updateDialog() != nullptr; }, 10000));
  CUpdateDialog* shown = dlg->meters().updateDialog();
  EXPECT_TRUE(shown->isVisible());
  EXPECT_EQ(shown->windowTitle(), UiText(108));
  // The card's recorder firmware against 9.9.9.
  const QString text = shown->linkControl()->text();
  EXPECT_TRUE(text.contains(QStringLiteral("9.9.9.0"))) << text.toStdString();
  EXPECT_TRUE(text.contains(UiText(110)));
  EXPECT_FALSE(text.contains(UiText(112)));
  EXPECT_EQ(server.requestLines().size(), 2u);
  shown->closeButton()->click();
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg->meters().updateDialog() == nullptr; }, 2000));
}

}  // namespace
