// Playing backwards in the engine on the generated 1080p30 recording (a
// keyframe every 30 pictures), at x1 and x4, next to playing forwards at the
// same rate in the same run: the process's CPU time per second of playback,
// the pictures shown against those the pace asks for, the delay from the
// request to the first reversed picture (the one paused on, shown again) and
// to the first picture before it, and the peak of the picture cache
// against its bound.
//
// Run: build with -DKESTREL_BENCH=ON, then build/<dir>/bench/player/reverse_bench
// (KESTREL_BENCH_DIR keeps the generated card between runs).
#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <ctime>

#include "bench_movie.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "player/player_engine_ops.h"

namespace {

constexpr int kPlayMs = 2000;
constexpr int kForwardFrom = 60;    // forwards from here: x4 ends before the movie does
constexpr int kBackwardFrom = 290;  // backwards from here: x4 ends before the start

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void RunEventsFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

std::int64_t FrameOf(const PlayerEngineOps& ops, PlayerEngineState* engine, int picture) {
  return static_cast<std::int64_t>((picture + 0.5) * 1000.0 / 30.0 / ops.GetFrameUnit(engine));
}

struct Playback {
  double cpuPerSecond = 0;
  double pictures = 0;  // shown per picture the pace asks for
  // The same, counting the wait for the first picture as pictures missed.
  double picturesFromRequest = 0;
  double firstMs = 0;   // from the request to the first picture
  // Backwards: from the request to the first picture before the one paused
  // on (the reverse play shows that one again first).
  double firstNewMs = 0;
};

// Plays kPlayMs at `code` in `direction` from a paused picture.
Playback Play(const PlayerEngineOps& ops, PlayerEngineState* engine, int code, int direction) {
  ops.SetRate(engine, code);
  ops.SeekToFrame(engine, FrameOf(ops, engine, direction > 0 ? kForwardFrom : kBackwardFrom));
  engine->player->WaitForSeek();
  RunEventsFor(300);
  const std::uint64_t before = engine->player->presenter().FramesShown();
  QElapsedTimer wall;
  wall.start();
  const double cpu = CpuSeconds();
  if (direction > 0) {
    ops.Play(engine);
  } else {
    ops.SetDirection(engine, -1);
  }
  Playback result;
  while (engine->player->presenter().FramesShown() == before && wall.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  result.firstMs = static_cast<double>(wall.nsecsElapsed()) / 1e6;
  while (direction < 0 && engine->player->presenter().FramesShown() < before + 2 &&
         wall.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  result.firstNewMs = static_cast<double>(wall.nsecsElapsed()) / 1e6;
  RunEventsFor(kPlayMs);
  const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
  result.cpuPerSecond = (CpuSeconds() - cpu) / seconds;
  const auto shown = static_cast<double>(engine->player->presenter().FramesShown() - before);
  // The pace shows a picture every picture length, skipping above x1; it is
  // counted from the first picture it brings (backwards the one paused on is
  // shown again first), the delay to that one being measured on its own.
  const double paceFromMs = direction > 0 ? result.firstMs : result.firstNewMs;
  const double paced = direction > 0 ? shown : shown - 1;
  result.pictures = paced / ((seconds - paceFromMs / 1000.0) * 30.0 + 1.0);
  result.picturesFromRequest = shown / ((seconds - result.firstMs / 1000.0) * 30.0);
  ops.Pause(engine);
  if (direction < 0) ops.SetDirection(engine, 1);
  return result;
}

void BM_PlayBackwards(benchmark::State& state) {
  const int code = static_cast<int>(state.range(0));
  CPlayer::SetAudioSinkDescription("fakesink sync=true");
  CMovieStatic surface;
  surface.resize(960, 540);
  surface.show();
  const PlayerEngineOps ops = MakePlayerEngineOps();
  PlayerEngineState engine;
  ops.EngineInit(&engine, &surface, QString::fromUtf8("メイリオ"));
  engine.engineReady = 1;
  for (auto _ : state) {
    if (!ops.OpenMovie(&engine, QString::fromStdString(BenchMovie().path)) ||
        engine.player->WaitForOpen(10000) != CPlayer::OpenOutcome::Ready) {
      state.SkipWithError("the movie did not open");
      break;
    }
    ops.Play(&engine);
    RunEventsFor(300);
    ops.Pause(&engine);
    const Playback forward = Play(ops, &engine, code, 1);
    const Playback backward = Play(ops, &engine, code, -1);
    state.counters["fwd_cpu_s_per_s"] = forward.cpuPerSecond;
    state.counters["back_cpu_s_per_s"] = backward.cpuPerSecond;
    state.counters["back_cpu_per_fwd"] = backward.cpuPerSecond / forward.cpuPerSecond;
    state.counters["fwd_shown_per_paced"] = forward.pictures;
    state.counters["back_shown_per_paced"] = backward.pictures;
    state.counters["back_shown_per_paced_from_request"] = backward.picturesFromRequest;
    state.counters["fwd_first_ms"] = forward.firstMs;
    state.counters["back_first_ms"] = backward.firstMs;
    state.counters["back_first_new_ms"] = backward.firstNewMs;
    state.counters["cache_peak_mb"] =
        static_cast<double>(engine.stepper->cache().PeakBytes()) / 1048576.0;
    state.counters["cache_bound_mb"] =
        static_cast<double>(engine.stepper->cache().Bound()) / 1048576.0;
    ops.CloseMovie(&engine);
  }
  ops.EngineShutdown(&engine);
  CPlayer::SetAudioSinkDescription("");
}
BENCHMARK(BM_PlayBackwards)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
