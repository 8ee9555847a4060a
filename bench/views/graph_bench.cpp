// Benchmark of the G-sensor graph: one repaint (the playback tick's redraw)
// of a 3-minute recording (5,400 frames at 30 a second) at the graph's size
// in window mode 0, next to filling the same image black in the same run.
// The tick comes every 30 ms and also feeds the panel, map and meters, so
// a repaint should stay within about 2 ms.
//
// Run: build with -DKESTREL_BENCH=ON, then
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/views/graph_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "container/sensor_record_decoder.h"
#include "container/sensor_track.h"
#include "mkcard/card_plan.h"
#include "mkcard/sensor_payload.h"
#include "views/g_sensor_dlg.h"
#include "views/g_sensor_plan.h"

namespace {

constexpr int kWidth = 656;
constexpr int kHeight = 186;
constexpr int kSeconds = 180;
constexpr int kFramesPerRecord = 3;

// The generator's records of a 3-minute impact recording, decoded, with a
// frame index of three frames a record.
struct BenchTrack {
  SensorTrack track;
  BenchTrack() {
    mkcard::CardOptions options;
    options.folders = 1;
    options.files = 1;
    options.seconds = kSeconds;
    options.triggers = "G";
    const auto plan = mkcard::PlanCard(options);
    for (const mkcard::SensorSample& sample : plan.front().samples) {
      const std::string bytes = mkcard::RecordBytes(sample);
      const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
      track.accels.push_back(DecodeAccelRecord(SensorRecordBytes(data, kSensorRecordSize),
                                               static_cast<std::int32_t>(track.accels.size())));
    }
    for (AccelRecord& r : track.accels) {
      r.frame = r.sequence * kFramesPerRecord;
      for (int i = 0; i < kFramesPerRecord; ++i) track.frameIndex.push_back(&r);
      track.peakG = std::max({track.peakG, std::abs(r.x), std::abs(r.y), std::abs(r.z)});
    }
  }
};

BenchTrack& Track() {
  static BenchTrack track;
  return track;
}

using Clock = std::chrono::steady_clock;

void BM_GraphRepaint(benchmark::State& state) {
  SensorTrack& track = Track().track;
  const auto frames = static_cast<std::int64_t>(track.frameIndex.size());
  CGSensorDlg graph;
  graph.resize(kWidth, kHeight);
  graph.SetTrack(&track, nullptr);
  graph.SetFrameCount(frames);
  graph.SetDataPresent(true);
  graph.SetScaleIndex(ScaleIndexForPeak(track.peakG));
  std::int64_t cursor = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    graph.SetCursorFrame(cursor);
    benchmark::DoNotOptimize(graph.Render().constBits());
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    cursor = (cursor + 7) % frames;
  }
  state.counters["frames"] = static_cast<double>(frames);
}
BENCHMARK(BM_GraphRepaint)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

// Baseline: the same image filled black.
void BM_FillBlack(benchmark::State& state) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::black);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_FillBlack)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
