// Sound proven to play: a PulseAudio server of the test's own with a null
// sink, whose monitor is recorded while the real window plays a generated
// recording. The level of its tone is compared with what GStreamer's own
// pipeline gives for the same file on the same sink.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/player_engine.h"
#include "scoped_work_folder.h"

namespace {

constexpr int kRate = 48000;
constexpr int kOpenMs = 20000;

// A PulseAudio server with one null sink "kestrel", on a socket in a
// folder of its own; PULSE_SERVER points this process's sound at it.
class PulseServer {
 public:
  PulseServer() {
    const QString program = QStandardPaths::findExecutable("pulseaudio");
    if (program.isEmpty() || QStandardPaths::findExecutable("parec").isEmpty()) {
      why_ = "pulseaudio or parec is not installed";
      return;
    }
    socket_ = dir_.filePath("native");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", dir_.path());
    env.insert("XDG_RUNTIME_DIR", dir_.path());
    server_.setProcessEnvironment(env);
    server_.start(program, {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
                            "--use-pid-file=no", "-L",
                            "module-native-protocol-unix auth-anonymous=1 socket=" + socket_, "-L",
                            "module-null-sink sink_name=kestrel rate=48000"});
    qputenv("PULSE_SERVER", ("unix:" + socket_).toUtf8());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && server_.state() != QProcess::NotRunning) {
      QProcess info;
      info.start("pactl", {"list", "short", "sinks"});
      if (info.waitForFinished(2000) && info.exitCode() == 0 &&
          info.readAllStandardOutput().contains("kestrel")) {
        return;
      }
      QTest::qWait(100);
    }
    why_ = "the PulseAudio server did not start: " + server_.readAllStandardError();
  }
  ~PulseServer() {
    qunsetenv("PULSE_SERVER");
    server_.kill();
    server_.waitForFinished(5000);
  }
  bool ok() const { return why_.isEmpty(); }
  const QString& why() const { return why_; }

 private:
  QTemporaryDir dir_;
  QString socket_;
  QProcess server_;
  QString why_;
};

// Records the null sink's monitor, mono 16-bit at 48 kHz.
class MonitorRecording {
 public:
  MonitorRecording() {
    parec_.start("parec", {"-d", "kestrel.monitor", "--raw", "--format=s16le", "--channels=1",
                           "--rate=" + QString::number(kRate), "--latency-msec=20"});
    parec_.waitForStarted(5000);
    QTest::qWait(150);  // connected before anything plays
  }
  // Stops and returns the tone's level: the 90th percentile of the RMS of
  // 50-ms blocks, in dB below full scale (-120 for silence).
  double StopLevel() {
    QTest::qWait(100);
    parec_.terminate();
    parec_.waitForFinished(5000);
    const QByteArray bytes = parec_.readAllStandardOutput();
    const auto* samples = reinterpret_cast<const std::int16_t*>(bytes.constData());
    const std::size_t count = static_cast<std::size_t>(bytes.size()) / 2;
    constexpr std::size_t kBlock = kRate / 20;
    std::vector<double> levels;
    for (std::size_t at = 0; at + kBlock <= count; at += kBlock) {
      double sum = 0;
      for (std::size_t i = at; i < at + kBlock; ++i) sum += double(samples[i]) * samples[i];
      const double rms = std::sqrt(sum / kBlock) / 32768.0;
      levels.push_back(rms > 1e-6 ? 20 * std::log10(rms) : -120.0);
    }
    if (levels.empty()) return -120.0;
    std::sort(levels.begin(), levels.end());
    return levels[levels.size() * 9 / 10];
  }

 private:
  QProcess parec_;
};

TEST(Sound, PlaysAtNormalSpeedOnlyAndAtTheLevelGStreamerGives) {
  PulseServer pulse;
  if (!pulse.ok()) GTEST_SKIP() << "no sound server here: " << pulse.why().toStdString();
  CardSource card(1, 20);
  ASSERT_TRUE(card.ok()) << card.error();

  // GStreamer's own pipeline on the same sink: the level to match.
  double reference = -120;
  {
    MonitorRecording recording;
    QProcess gst;
    gst.start("gst-launch-1.0", {"-q", "filesrc", "location=" + card.Path(0), "!", "decodebin", "!",
                                 "audioconvert", "!", "audioresample", "!", "pulsesink"});
    // Played for a while once its stream reaches the server: on a busy
    // machine gst-launch takes seconds to start.
    EXPECT_TRUE(QTest::qWaitFor(
        [] {
          QProcess inputs;
          inputs.start("pactl", {"list", "short", "sink-inputs"});
          return inputs.waitForFinished(2000) && !inputs.readAllStandardOutput().isEmpty();
        },
        kOpenMs))
        << "gst-launch's stream reaches the server";
    QTest::qWait(2000);
    gst.kill();
    gst.waitForFinished(5000);
    reference = recording.StopLevel();
  }
  ASSERT_GT(reference, -40) << "the recording's tone reaches the sink";

  ScopedWorkFolder work;
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), card.dcim());
  auto dlg = std::make_unique<CKestrelDlg>();
  dlg->show();
  dlg->playback().SetVolumeLevel(65535);
  CFileListCtrl* list = dlg->fileList();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(0)).center());
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return dlg->playback().openComplete() && dlg->playback().tickRunning(); }, kOpenMs));
  if (dlg->engineState()->playState != 2) dlg->playback().PlayCurrent();
  PlayerEngineState* engine = dlg->engineState();
  const PlayerEngineOps& ops = dlg->engineOps();

  const auto level = [&](int ms) {
    MonitorRecording recording;
    QTest::qWait(ms);
    return recording.StopLevel();
  };
  EXPECT_NEAR(level(1500), reference, 3.0) << "at x1";
  // Speed changes one after the other: playing goes on after each (a
  // flushing seek at another rate could stop the sound sink's clock).
  for (int change = 0; change < 16; ++change) {
    QTest::qWait(200);
    const std::int32_t before = ops.GetPosition(engine);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ops.GetPosition(engine) > before + 3; }, 2000))
        << "stopped at frame " << before << " after speed change " << change;
    ops.SetRate(engine, change % 2 == 0 ? 2 : 1);
  }
  for (const int code : {2, 4, -1}) {  // x2, x4 and, without reverse play, x0.5
    ops.SetRate(engine, code);
    EXPECT_LT(level(800), -70) << "at rate code " << code << ", speed code now "
                               << engine->rateCode;
    ops.SetRate(engine, 1);
  }
  ASSERT_EQ(engine->rateCode, 1);
  dlg->playback().SetVolumeLevel(0);
  EXPECT_LT(level(800), -70) << "at volume 0";
  dlg->playback().SetVolumeLevel(65535);
  dlg->playback().PauseCurrent();
  EXPECT_LT(level(600), -70) << "paused";
  dlg->playback().PlayCurrent();
  EXPECT_NEAR(level(1200), reference, 3.0) << "after pause and play";
  dlg.reset();
  DeleteSharedFonts();
}

}  // namespace
