// Stepping picture by picture in the engine on a generated 1080p30
// recording (a keyframe every 30 pictures): the time from the request to
// the new picture ready to paint, 100 steps forwards and 100 backwards,
// median and worst, next to an exact seek to the same pictures in the same
// run, by the engine before and after the steps and by plain GStreamer; and
// the process's resident memory before the open, after the steps and after
// the close, beside the bound of the cache of pictures.
//
// Run: build with -DKESTREL_BENCH=ON, then build/<dir>/bench/player/step_bench
// (KESTREL_BENCH_DIR keeps the generated card between runs).
#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <QApplication>
#include <QImage>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_movie.h"
#include "plain_pipeline.h"
#include "mkcard/frame_barcode.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "player/player_engine_ops.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSteps = 100;
constexpr int kBackFrom = 200;  // backwards from here, clear of the forward steps

double ResidentMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return -1;
}

int PictureNumber(const QImage& image) {
  const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
  const auto code = mkcard::ReadFrameBarcode(grey.constBits(), grey.width(), grey.height(),
                                             static_cast<int>(grey.bytesPerLine()));
  return code ? code->frame : -1;
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Worst(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// The start of the middle of picture `picture` in ns.
std::int64_t MiddleNs(int picture) { return static_cast<std::int64_t>((picture + 0.5) / 30.0 * 1e9); }

// Exact seeks of plain GStreamer to the pictures the backward steps show.
std::vector<double> PlainSeeks() {
  std::vector<double> seeks;
  PlainPipeline plain(BenchMovie().path);
  if (!plain.Preroll()) return seeks;
  for (int i = 1; i <= kSteps; ++i) {
    const auto start = Clock::now();
    if (!plain.SeekExact(MiddleNs(kBackFrom - i))) return {};
    seeks.push_back(Milliseconds(Clock::now() - start));
  }
  return seeks;
}

void BM_StepPictures(benchmark::State& state) {
  CPlayer::SetAudioSinkDescription("fakesink sync=true");
  CMovieStatic surface;
  surface.resize(960, 540);
  surface.show();
  const PlayerEngineOps ops = MakePlayerEngineOps();
  PlayerEngineState engine;
  ops.EngineInit(&engine, &surface, QString::fromUtf8("メイリオ"));
  engine.engineReady = 1;
  for (auto _ : state) {
    const std::vector<double> plainSeeks = PlainSeeks();
    if (plainSeeks.empty()) {
      state.SkipWithError("the plain pipeline did not seek");
      break;
    }
    const double residentOpen = ResidentMb();
    if (!ops.OpenMovie(&engine, QString::fromStdString(BenchMovie().path)) ||
        engine.player->WaitForOpen(10000) != CPlayer::OpenOutcome::Ready) {
      state.SkipWithError("the movie did not open");
      break;
    }
    const double residentBefore = ResidentMb();
    int wrong = 0;
    // One step, timed from the request to the picture ready to paint.
    auto step = [&](int direction, int expected) {
      const auto start = Clock::now();
      const bool stepped = ops.StepPicture(&engine, direction);
      const double took = Milliseconds(Clock::now() - start);
      if (!stepped || PictureNumber(engine.player->CurrentImage()) != expected) ++wrong;
      return took;
    };
    // The engine's exact seeks to the same pictures as the backward steps.
    auto seek = [&](std::vector<double>& seeks) {
      for (int i = 1; i <= kSteps; ++i) {
        const int picture = kBackFrom - i;
        const auto start = Clock::now();
        engine.player->SeekPaused(MiddleNs(picture) / 100);
        engine.player->WaitForSeek();
        seeks.push_back(Milliseconds(Clock::now() - start));
        if (PictureNumber(engine.player->CurrentImage()) != picture) ++wrong;
      }
    };
    std::vector<double> freshSeeks;
    seek(freshSeeks);

    std::vector<double> forward;
    ops.SeekToFrame(&engine, 0);
    for (int i = 1; i <= kSteps; ++i) forward.push_back(step(+1, i));

    // Backwards from a fresh seek: a step that refills the cache is one at a
    // group's start (or the first), the others come from the cache.
    std::vector<double> within, boundary;
    engine.player->SeekPaused(MiddleNs(kBackFrom) / 100);
    engine.player->WaitForSeek();
    for (int i = 1; i <= kSteps; ++i) {
      const int refills = engine.stepper != nullptr ? engine.stepper->Refills() : 0;
      const double took = step(-1, kBackFrom - i);
      (engine.stepper->Refills() != refills ? boundary : within).push_back(took);
    }
    const double residentAfter = ResidentMb();
    const double cachePeak = static_cast<double>(engine.stepper->cache().PeakBytes()) / 1048576.0;
    const double cacheBound = static_cast<double>(engine.stepper->cache().Bound()) / 1048576.0;

    // The same pictures by exact seeks while paused, after the steps.
    std::vector<double> seeks;
    seek(seeks);
    ops.CloseMovie(&engine);
    // The closed movie's pipelines and pictures go on the disposer's thread.
    engine.disposer.WaitUntilDone();
    const double residentClosed = ResidentMb();

    const double seekMedian = Median(seeks);
    const double plainMedian = Median(plainSeeks);
    state.counters["fwd_median_ms"] = Median(forward);
    state.counters["fwd_worst_ms"] = Worst(forward);
    state.counters["back_within_median_ms"] = Median(within);
    state.counters["back_within_worst_ms"] = Worst(within);
    state.counters["back_boundary_median_ms"] = Median(boundary);
    state.counters["back_boundary_worst_ms"] = Worst(boundary);
    state.counters["back_boundary_steps"] = static_cast<double>(boundary.size());
    state.counters["seek_median_ms"] = seekMedian;
    state.counters["seek_worst_ms"] = Worst(seeks);
    state.counters["seek_before_steps_median_ms"] = Median(freshSeeks);
    state.counters["plain_seek_median_ms"] = plainMedian;
    state.counters["seek_median_per_plain"] = seekMedian / plainMedian;
    state.counters["seek_before_steps_median_per_plain"] = Median(freshSeeks) / plainMedian;
    state.counters["fwd_median_per_seek"] = Median(forward) / seekMedian;
    state.counters["back_within_median_per_seek"] = Median(within) / seekMedian;
    state.counters["back_boundary_worst_per_seek"] = Worst(boundary) / seekMedian;
    state.counters["rss_open_mb"] = residentOpen;
    state.counters["rss_before_mb"] = residentBefore;
    state.counters["rss_after_mb"] = residentAfter;
    state.counters["rss_closed_mb"] = residentClosed;
    state.counters["rss_closed_above_open_mb"] = residentClosed - residentOpen;
    state.counters["cache_peak_mb"] = cachePeak;
    state.counters["cache_bound_mb"] = cacheBound;
    state.counters["wrong_pictures"] = wrong;
  }
  ops.EngineShutdown(&engine);
  CPlayer::SetAudioSinkDescription("");
}
BENCHMARK(BM_StepPictures)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
