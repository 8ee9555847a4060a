// Benchmarks of the media player on a generated 1080p30 recording (1-second
// GOP): open to the first picture, an exact seek while paused, and CPU time
// and pictures shown while playing at x1, x2 and x4. Each is reported next
// to plain GStreamer decoding the same file in the same run:
//   gst-launch-1.0 filesrc location=F ! qtdemux ! h264parse ! avdec_h264 ! fakesink sync=false
//
// Run: build with -DKESTREL_BENCH=ON, then build/<dir>/bench/player/player_bench
// (KESTREL_BENCH_DIR keeps the generated card between runs).
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "bench_movie.h"
#include "plain_pipeline.h"
#include "mkcard/frame_barcode.h"
#include "player/movie_static.h"
#include "player/player.h"
#include "player/player_engine.h"
#include "player/player_engine_ops.h"

namespace {

using Clock = std::chrono::steady_clock;

using Movie = BenchMovieFile;

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

const int kCores = static_cast<int>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));

// Plain GStreamer decoding the whole file as fast as it can.
void BM_GstLaunchDecode(benchmark::State& state) {
  const Movie& movie = BenchMovie();
  const std::string command = "gst-launch-1.0 -q filesrc location='" + movie.path +
                              "' ! qtdemux ! h264parse ! avdec_h264 ! fakesink sync=false";
  double cpu = 0;
  for (auto _ : state) {
    const double before = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) state.SkipWithError("gst-launch-1.0 failed");
    state.SetIterationTime(Seconds(Clock::now() - start));
    cpu += CpuSeconds(RUSAGE_CHILDREN) - before;
  }
  state.counters["decode_fps"] = benchmark::Counter(
      static_cast<double>(movie.frames) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
  state.counters["cpu_ms_per_frame"] =
      cpu * 1000.0 / (static_cast<double>(movie.frames) * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_GstLaunchDecode)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_PlainOpenToFirstPicture(benchmark::State& state) {
  const Movie& movie = BenchMovie();
  for (auto _ : state) {
    const auto start = Clock::now();
    PlainPipeline plain(movie.path);
    if (!plain.Preroll()) state.SkipWithError("the plain pipeline did not preroll");
    state.SetIterationTime(Seconds(Clock::now() - start));
  }
}

double Largest(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

BENCHMARK(BM_PlainOpenToFirstPicture)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly()
    ->ComputeStatistics("max", Largest)
    ->Unit(benchmark::kMillisecond);

void BM_PlainExactSeekWhilePaused(benchmark::State& state) {
  const Movie& movie = BenchMovie();
  static PlainPipeline plain(movie.path);
  static const bool prerolled = plain.Preroll();
  static std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, movie.frames - 1);
  for (auto _ : state) {
    const auto target = static_cast<std::int64_t>((pick(random) + 0.5) / movie.fps * 1e9);
    const auto start = Clock::now();
    if (!prerolled || !plain.SeekExact(target)) state.SkipWithError("the plain seek failed");
    state.SetIterationTime(Seconds(Clock::now() - start));
  }
}
BENCHMARK(BM_PlainExactSeekWhilePaused)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(40)
    ->ReportAggregatesOnly()
    ->ComputeStatistics("max", Largest)
    ->Unit(benchmark::kMillisecond);

// From OpenFile to the pipeline ready with its first picture.
void BM_OpenToFirstPicture(benchmark::State& state) {
  const Movie& movie = BenchMovie();
  auto player = CPlayer::Create(nullptr);
  for (auto _ : state) {
    const auto start = Clock::now();
    player->OpenFile(QString::fromStdString(movie.path));
    if (player->WaitForOpen(10000) != CPlayer::OpenOutcome::Ready) {
      state.SkipWithError("the movie did not open");
      break;
    }
    state.SetIterationTime(Seconds(Clock::now() - start));
    player->Close();
  }
}
BENCHMARK(BM_OpenToFirstPicture)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly()
    ->ComputeStatistics("max", Largest)
    ->Unit(benchmark::kMillisecond);

// An exact seek while paused, until the sought picture is the one shown.
void BM_ExactSeekWhilePaused(benchmark::State& state) {
  const Movie& movie = BenchMovie();
  auto player = CPlayer::Create(nullptr);
  player->OpenFile(QString::fromStdString(movie.path));
  if (player->WaitForOpen(10000) != CPlayer::OpenOutcome::Ready) {
    state.SkipWithError("the movie did not open");
    return;
  }
  static std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, movie.frames - 1);
  int wrong = 0;
  for (auto _ : state) {
    const int frame = pick(random);
    const auto target = static_cast<std::int64_t>((frame + 0.5) / movie.fps * 1e7);
    const auto start = Clock::now();
    player->SeekPaused(target);
    const QImage shown = player->CurrentImage();  // waits for the seek's picture
    const double took = Seconds(Clock::now() - start);
    state.SetIterationTime(took);
    const QImage grey = shown.convertToFormat(QImage::Format_Grayscale8);
    const auto code = mkcard::ReadFrameBarcode(grey.constBits(), grey.width(), grey.height(),
                                               static_cast<int>(grey.bytesPerLine()));
    if (!code || code->frame != frame) ++wrong;
  }
  state.counters["wrong_pictures"] = wrong;
}
BENCHMARK(BM_ExactSeekWhilePaused)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(40)
    ->ReportAggregatesOnly()
    ->ComputeStatistics("max", Largest)
    ->Unit(benchmark::kMillisecond);

// Plays the whole movie at a rate: CPU time per second of playing as a share
// of the machine, and pictures shown against the pictures of the movie.
void BM_Playback(benchmark::State& state) {
  const Movie& movie = BenchMovie();
  const double rate = static_cast<double>(state.range(0));
  CPlayer::SetAudioSinkDescription("fakesink sync=true");
  auto player = CPlayer::Create(nullptr);
  double cpu = 0, wall = 0, shown = 0;
  for (auto _ : state) {
    player->OpenFile(QString::fromStdString(movie.path));
    if (player->WaitForOpen(10000) != CPlayer::OpenOutcome::Ready) {
      state.SkipWithError("the movie did not open");
      break;
    }
    player->SetRate(rate);
    const double before = CpuSeconds(RUSAGE_SELF);
    const auto start = Clock::now();
    player->presenter().Clear();
    player->Play();
    while (player->State() == CPlayer::Started && Clock::now() - start < std::chrono::seconds(60)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const double took = Seconds(Clock::now() - start);
    state.SetIterationTime(took);
    wall += took;
    cpu += CpuSeconds(RUSAGE_SELF) - before;
    shown += static_cast<double>(player->presenter().FramesShown());
    player->Close();
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["machine_cpu_pct"] = 100.0 * cpu / wall / kCores;
  state.counters["frames_shown_pct"] = 100.0 * shown / (runs * movie.frames);
  state.counters["cpu_ms_per_frame"] = 1000.0 * cpu / shown;
  CPlayer::SetAudioSinkDescription("");
}
BENCHMARK(BM_Playback)
    ->ArgNames({"rate"})
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The whole engine playing into a 960 x 540 video surface at a rate code,
// painting every picture: CPU time as a share of the machine and pictures
// that reached the surface against the pictures of the movie.
void BM_EnginePlaybackOnSurface(benchmark::State& state) {
  const Movie& movie = BenchMovie();
  const int code = static_cast<int>(state.range(0));
  CPlayer::SetAudioSinkDescription("fakesink sync=true");
  CMovieStatic surface;
  surface.resize(960, 540);
  surface.show();
  const PlayerEngineOps ops = MakePlayerEngineOps();
  PlayerEngineState engine;
  ops.EngineInit(&engine, &surface, QString::fromUtf8("メイリオ"));
  engine.engineReady = 1;
  double cpu = 0, wall = 0, shown = 0;
  for (auto _ : state) {
    if (!ops.OpenMovie(&engine, QString::fromStdString(movie.path)) ||
        engine.player->WaitForOpen(10000) != CPlayer::OpenOutcome::Ready) {
      state.SkipWithError("the movie did not open");
      break;
    }
    ops.SetLayout(&engine, 480, 270, 0, 0, 1.0f, 1);
    ops.SetRate(&engine, code);
    engine.player->CurrentImage();  // waits for the seeks above
    engine.player->presenter().Clear();
    const double before = CpuSeconds(RUSAGE_SELF);
    const auto start = Clock::now();
    ops.Play(&engine);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (engine.player->State() != CPlayer::Started ||
          Clock::now() - start > std::chrono::seconds(60)) {
        loop.quit();
      }
    });
    poll.start(20);
    loop.exec();
    const double took = Seconds(Clock::now() - start);
    state.SetIterationTime(took);
    wall += took;
    cpu += CpuSeconds(RUSAGE_SELF) - before;
    shown += static_cast<double>(engine.player->presenter().FramesShown());
    ops.CloseMovie(&engine);
  }
  ops.EngineShutdown(&engine);
  const double runs = static_cast<double>(state.iterations());
  state.counters["machine_cpu_pct"] = 100.0 * cpu / wall / kCores;
  state.counters["frames_shown_pct"] = 100.0 * shown / (runs * movie.frames);
  CPlayer::SetAudioSinkDescription("");
}
BENCHMARK(BM_EnginePlaybackOnSurface)
    ->ArgName("rate_code")
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
