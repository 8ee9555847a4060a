// Benchmarks of the main window on a generated card (two 720p recordings):
//  - one playback tick while a movie plays (position query, frame lookup,
//    values pushed, panel repainted), next to the engine's position query
//    alone and against the tick's 30 ms period;
//  - from a selection in the recording list to the first picture painted,
//    without the window's 500 ms open delay (reported on its own), next to
//    the engine's own OpenMovie (open to ready) of the same files; the time
//    to the window's handling of the ready message is reported beside it.
//
// Run: build with -DKESTREL_BENCH=ON, then
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/mainwnd/mainwnd_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <memory>

#include "base/settings_file.h"
#include "browser/file_list_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"
#include "player/movie_static.h"
#include "player/player_engine.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWaitMs = 20000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The card and the viewer's working folder, made once per run.
struct BenchCard {
  QTemporaryDir dir;
  QString dcim;
  QString paths[2];
  std::string error;

  BenchCard() {
    mkcard::CardOptions options;
    options.folders = 1;
    options.files = 2;
    options.seconds = 20;
    options.width = 1280;
    options.height = 720;
    const auto plan = mkcard::PlanCard(options);
    error = mkcard::WriteCard(options, dir.path().toStdString());
    dcim = dir.filePath(QStringLiteral("DCIM"));
    for (int i = 0; i < 2; ++i) paths[i] = dir.filePath(QString::fromStdString(plan[i].path));
    QDir(dir.path()).mkdir(QStringLiteral("work"));
    QDir::setCurrent(dir.filePath(QStringLiteral("work")));
    CaptureWorkDir();
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), dcim);
  }
};

BenchCard& Card() {
  static BenchCard card;
  return card;
}

// Notes when the video surface paints while the engine has a picture.
class FirstPicture : public QObject {
 public:
  explicit FirstPicture(CKestrelDlg& dlg) : dlg_(dlg) {
    dlg.videoSurface()->installEventFilter(this);
  }
  void Arm() { painted = false; }
  bool painted = false;
  Clock::time_point at;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    PlayerEngineState* s = dlg_.engineState();
    if (!painted && event->type() == QEvent::Paint && s->player != nullptr &&
        s->player->presenter().FramesShown() > 0) {
      painted = true;
      at = Clock::now();
    }
    return false;
  }

 private:
  CKestrelDlg& dlg_;
};

void BM_SelectToFirstPicture(benchmark::State& state) {
  if (!Card().error.empty()) return state.SkipWithError(Card().error.c_str());
  CKestrelDlg dlg;
  dlg.show();
  FirstPicture first(dlg);
  Clock::time_point openStarted;
  // The old movie is closed inside OpenSelected, just after this signal.
  QObject::connect(&dlg, &CKestrelDlg::openingRecording, [&] {
    openStarted = Clock::now();
    first.Arm();
  });
  Clock::time_point opened;
  QObject::connect(&dlg, &CKestrelDlg::recordingOpened, [&] { opened = Clock::now(); });
  double delay = 0;
  double toOpened = 0;
  int row = 0;
  for (auto _ : state) {
    const auto selected = Clock::now();
    dlg.fileList()->setCurrentRow(row);
    if (!QTest::qWaitFor([&] { return first.painted && dlg.playback().openComplete(); }, kWaitMs)) {
      state.SkipWithError("the recording did not open");
      break;
    }
    delay += Seconds(openStarted - selected);
    toOpened += Seconds(opened - openStarted);
    state.SetIterationTime(Seconds(first.at - openStarted));
    row = 1 - row;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["open_delay_ms"] = delay * 1000.0 / n;
  // From the start of the open to the window's handling of the engine's
  // ready message (the rest is the layout's repaint and the first paint).
  state.counters["to_ready_message_ms"] = toOpened * 1000.0 / n;
}
BENCHMARK(BM_SelectToFirstPicture)->UseManualTime()->Iterations(12)->Unit(benchmark::kMillisecond);

// The engine alone: from OpenMovie to its player ready.
void BM_EngineOpenToReady(benchmark::State& state) {
  if (!Card().error.empty()) return state.SkipWithError(Card().error.c_str());
  CMovieStatic surface;
  surface.resize(656, 373);
  PlayerEngineState engineState;
  engine::EngineInit(&engineState, &surface, QStringLiteral("メイリオ"));
  engineState.engineReady = 1;
  int row = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    if (!engine::OpenMovie(&engineState, Card().paths[row]) ||
        engineState.player->WaitForOpen(kWaitMs) != CPlayer::OpenOutcome::Ready) {
      state.SkipWithError("the engine did not open the recording");
      break;
    }
    state.SetIterationTime(Seconds(Clock::now() - start));
    engine::CloseMovie(&engineState);
    QCoreApplication::processEvents();
    row = 1 - row;
  }
  engineState.engineReady = 0;
  engine::EngineShutdown(&engineState);
}
BENCHMARK(BM_EngineOpenToReady)->UseManualTime()->Iterations(12)->Unit(benchmark::kMillisecond);

// A window playing the first recording, for the tick benchmarks.
std::unique_ptr<CKestrelDlg> PlayingWindow(benchmark::State& state) {
  auto dlg = std::make_unique<CKestrelDlg>();
  dlg->show();
  dlg->fileList()->setCurrentRow(0);
  if (!QTest::qWaitFor(
          [&] { return dlg->playback().openComplete() && dlg->playback().tickRunning(); },
          kWaitMs)) {
    state.SkipWithError("the recording did not open");
    return nullptr;
  }
  dlg->playback().OnPlayPause();
  QTest::qWait(300);
  return dlg;
}

void BM_PlaybackTick(benchmark::State& state) {
  if (!Card().error.empty()) return state.SkipWithError(Card().error.c_str());
  auto dlg = PlayingWindow(state);
  if (dlg == nullptr) return;
  double total = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    dlg->playback().OnPlaybackTick();
    const double tick = Seconds(Clock::now() - start);
    total += tick;
    state.SetIterationTime(tick);
    QCoreApplication::processEvents();  // the paint events of the repainted views
  }
  state.counters["percent_of_30ms_period"] =
      total / static_cast<double>(state.iterations()) / 0.030 * 100.0;
}
BENCHMARK(BM_PlaybackTick)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

// Baseline: the engine's position query that each tick makes.
void BM_PositionQuery(benchmark::State& state) {
  if (!Card().error.empty()) return state.SkipWithError(Card().error.c_str());
  auto dlg = PlayingWindow(state);
  if (dlg == nullptr) return;
  for (auto _ : state) benchmark::DoNotOptimize(engine::GetPosition(dlg->engineState()));
}
BENCHMARK(BM_PositionQuery)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
