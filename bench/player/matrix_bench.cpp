// Playing recordings of each codec and size at x1 and x4: the media player
// (pictures to its presenter, sound to a fake sink in real time) next to
// plain GStreamer playing the same file's pictures in the same run,
//   filesrc ! qtdemux ! decodebin ! fakesink sync=true
// Both report the CPU time of this process while playing as a share of the
// whole machine (all cores) and the pictures that reached the sink against
// the pictures of the recording.
//
// Run: build with -DKESTREL_BENCH=ON, then build/<dir>/bench/player/matrix_bench
// (KESTREL_BENCH_DIR keeps the generated recordings between runs).
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "bench_movie.h"
#include "player/player.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kLongest = std::chrono::seconds(120);

const int kCores = static_cast<int>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The recording of codec `codec` (0 H.264, 1 HEVC) and `height` lines:
// 5 s (3 s in 4K, which takes long to write), sound as the generator's default.
const BenchMovieFile& Movie(int codec, int height) {
  static std::map<std::pair<int, int>, BenchMovieFile> movies;
  auto found = movies.find({codec, height});
  if (found != movies.end()) return found->second;
  mkcard::CardOptions options;
  options.seconds = height > 1080 ? 3 : 5;
  options.height = height;
  options.width = height * 16 / 9;
  options.codec = codec == 0 ? mkcard::VideoCodec::kH264 : mkcard::VideoCodec::kHevc;
  const std::string name = (codec == 0 ? "h264_" : "hevc_") + std::to_string(height);
  return movies.emplace(std::make_pair(codec, height), WriteBenchMovie(options, name))
      .first->second;
}

struct Run {
  double cpu = 0;
  double wall = 0;
  double shown = 0;
};

void Report(benchmark::State& state, const Run& run, const BenchMovieFile& movie) {
  const double runs = static_cast<double>(state.iterations());
  state.counters["machine_cpu_pct"] = 100.0 * run.cpu / run.wall / kCores;
  state.counters["frames_shown_pct"] = 100.0 * run.shown / (runs * movie.frames);
}

// The media player playing the whole recording at `rate`.
void BM_PlayerPlayback(benchmark::State& state) {
  const BenchMovieFile& movie =
      Movie(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const double rate = static_cast<double>(state.range(2));
  CPlayer::SetAudioSinkDescription("fakesink sync=true");
  auto player = CPlayer::Create(nullptr);
  Run run;
  for (auto _ : state) {
    player->OpenFile(QString::fromStdString(movie.path));
    if (player->WaitForOpen(60000) != CPlayer::OpenOutcome::Ready) {
      state.SkipWithError("the movie did not open");
      break;
    }
    player->SetRate(rate);
    const double before = CpuSeconds();
    const auto start = Clock::now();
    player->presenter().Clear();
    player->Play();
    while (player->State() == CPlayer::Started && Clock::now() - start < kLongest) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const double took = Seconds(Clock::now() - start);
    state.SetIterationTime(took);
    run.wall += took;
    run.cpu += CpuSeconds() - before;
    run.shown += static_cast<double>(player->presenter().FramesShown());
    player->Close();
  }
  Report(state, run, movie);
  CPlayer::SetAudioSinkDescription("");
}

void CountPicture(GstElement*, GstBuffer*, GstPad*, gpointer count) {
  ++*static_cast<std::atomic<int>*>(count);
}

// Plain GStreamer playing the recording's pictures at `rate`.
void BM_PlainPlayback(benchmark::State& state) {
  const BenchMovieFile& movie =
      Movie(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const double rate = static_cast<double>(state.range(2));
  Run run;
  for (auto _ : state) {
    const std::string description = "filesrc location=\"" + movie.path +
                                    "\" ! qtdemux name=d d.video_0 ! queue ! decodebin ! "
                                    "fakesink name=sink sync=true signal-handoffs=true";
    GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    std::atomic<int> shown{0};
    g_signal_connect(sink, "handoff", G_CALLBACK(CountPicture), &shown);
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    gst_element_get_state(pipeline, nullptr, nullptr, 60 * GST_SECOND);
    if (rate != 1.0) {
      gst_element_seek(pipeline, rate, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET, 0,
                       GST_SEEK_TYPE_NONE, static_cast<gint64>(GST_CLOCK_TIME_NONE));
      gst_element_get_state(pipeline, nullptr, nullptr, 60 * GST_SECOND);
    }
    shown = 0;  // the prerolled picture is handed off again when playing
    const double before = CpuSeconds();
    const auto start = Clock::now();
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(
        bus, 120 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const double took = Seconds(Clock::now() - start);
    if (end == nullptr || GST_MESSAGE_TYPE(end) != GST_MESSAGE_EOS) {
      state.SkipWithError("plain playback failed");
    }
    if (end != nullptr) gst_message_unref(end);
    gst_object_unref(bus);
    state.SetIterationTime(took);
    run.wall += took;
    run.cpu += CpuSeconds() - before;
    run.shown += shown.load();
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
  }
  Report(state, run, movie);
}

// Codec (0 H.264, 1 HEVC) x lines x rate, plain GStreamer just before the
// player on each recording, so that both see the same load.
void RegisterMatrix() {
  for (int codec : {0, 1}) {
    for (int height : {720, 1080, 2160}) {
      for (int rate : {1, 4}) {
        for (auto* b : {benchmark::RegisterBenchmark("BM_PlainPlayback", BM_PlainPlayback),
                        benchmark::RegisterBenchmark("BM_PlayerPlayback", BM_PlayerPlayback)}) {
          b->ArgNames({"hevc", "lines", "rate"})
              ->Args({codec, height, rate})
              ->UseManualTime()
              ->Iterations(1)
              ->Unit(benchmark::kMillisecond);
        }
      }
    }
  }
}

std::string LoadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string line;
  std::getline(file, line);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  gst_init(&argc, &argv);
  QCoreApplication app(argc, argv);
  RegisterMatrix();
  benchmark::Initialize(&argc, argv);
  std::printf("load average before: %s (%d cores)\n", LoadAverage().c_str(), kCores);
  benchmark::RunSpecifiedBenchmarks();
  std::printf("load average after: %s\n", LoadAverage().c_str());
  benchmark::Shutdown();
  return 0;
}
