// Opening and walking a 60-second 1080p recording and loading its sensor
// track, each next to a baseline of plainly reading the same bytes from the
// page cache in the same run; and decoding throughput in records a second.
//
//   container_bench [RECORDING.MOV] [benchmark options]
//
// Without a recording it writes one with kestrel-mkcard (once, into the
// build folder).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "container/big_endian.h"
#include "container/movie_file.h"
#include "container/sensor_record_decoder.h"
#include "container/sensor_track.h"

namespace {

std::filesystem::path recording;

struct Extent {
  std::uint64_t offset;
  std::uint64_t size;
};

// The top-level atoms of the recording, found with plain reads.
std::map<std::string, Extent> TopLevel(int fd, std::uint64_t fileSize) {
  std::map<std::string, Extent> atoms;
  std::uint64_t position = 0;
  std::uint8_t head[8];
  while (position + 8 <= fileSize && ::pread(fd, head, 8, static_cast<off_t>(position)) == 8) {
    const std::uint32_t size = ReadBigEndian32(head);
    if (size < 8) break;
    atoms.emplace(std::string(reinterpret_cast<char*>(head + 4), 4), Extent{position, size});
    position += size;
  }
  return atoms;
}

// Baseline: open the file, read each top-level header and the whole of one
// atom (what the reader has to look at), close.
void ReadPlainly(const char* atom) {
  const int fd = ::open(recording.c_str(), O_RDONLY | O_CLOEXEC);
  const auto fileSize = static_cast<std::uint64_t>(::lseek(fd, 0, SEEK_END));
  const std::map<std::string, Extent> atoms = TopLevel(fd, fileSize);
  const Extent extent = atoms.at(atom);
  std::vector<std::uint8_t> bytes(extent.size);
  if (::pread(fd, bytes.data(), bytes.size(), static_cast<off_t>(extent.offset)) !=
      static_cast<ssize_t>(bytes.size())) {
    std::abort();
  }
  benchmark::DoNotOptimize(bytes.data());
  ::close(fd);
}

void BM_OpenAndWalk(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<MovieFile> movie = MovieFile::Open(recording, false);
    if (!movie || movie->FrameCount() <= 0) state.SkipWithError("cannot open the recording");
    benchmark::DoNotOptimize(movie->GetFrameSize());
  }
}

void BM_ReadMoovPlainly(benchmark::State& state) {
  for (auto _ : state) ReadPlainly("moov");
}

void BM_LoadSensorTrack(benchmark::State& state) {
  std::int64_t records = 0;
  for (auto _ : state) {
    SensorTrack track;
    if (!track.Load(recording) || track.count == 0) state.SkipWithError("no sensor track");
    records += track.count;
  }
  state.SetItemsProcessed(records);
}

void BM_ReadUdatPlainly(benchmark::State& state) {
  for (auto _ : state) ReadPlainly("udat");
}

// Decoding alone, from a copy of the records in memory.
void BM_DecodeRecords(benchmark::State& state) {
  SensorTrack probe;
  const int fd = ::open(recording.c_str(), O_RDONLY | O_CLOEXEC);
  const auto fileSize = static_cast<std::uint64_t>(::lseek(fd, 0, SEEK_END));
  const Extent udat = TopLevel(fd, fileSize).at("udat");
  std::vector<std::uint8_t> bytes(udat.size);
  if (::pread(fd, bytes.data(), bytes.size(), static_cast<off_t>(udat.offset)) < 0) std::abort();
  ::close(fd);
  const std::uint64_t count = SensorRecordsThatFit(udat.size - 8);
  const std::uint8_t* first = bytes.data() + 8 + kSensorRecordsOffset;
  for (auto _ : state) {
    RecordTimeDecoder times;
    for (std::uint64_t i = 0; i < count; ++i) {
      const SensorRecordBytes record(first + i * kSensorRecordSize, kSensorRecordSize);
      const auto sequence = static_cast<std::int32_t>(i);
      benchmark::DoNotOptimize(DecodePositionRecord(record, sequence, times));
      benchmark::DoNotOptimize(DecodeAccelRecord(record, sequence));
      benchmark::DoNotOptimize(DecodeVehicleRecord(record, sequence));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}

BENCHMARK(BM_OpenAndWalk)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadMoovPlainly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSensorTrack)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadUdatPlainly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeRecords)->Unit(benchmark::kMicrosecond);

// Prints the usual table and keeps each benchmark's time per iteration (the
// median when repeated) for the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (median || (run.run_type == Run::RT_Iteration && run.iterations > 0)) {
        times[run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
  }
  std::map<std::string, double> times;
};

std::filesystem::path GeneratedRecording() {
  const std::filesystem::path card = KESTREL_BENCH_CARD;
  const auto find = [&]() -> std::filesystem::path {
    if (!std::filesystem::is_directory(card / "DCIM")) return {};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(card / "DCIM")) {
      if (entry.path().extension() == ".MOV") return entry.path();
    }
    return {};
  };
  if (std::filesystem::path found = find(); !found.empty()) return found;
  const std::string command = std::string(KESTREL_MKCARD_PATH) +
                              " --folders 1 --files 1 --seconds 60 --size 1920x1080 '" +
                              card.string() + "'";
  std::fprintf(stderr, "writing the recording: %s\n", command.c_str());
  if (std::system(command.c_str()) != 0) return {};
  return find();
}

}  // namespace

int main(int argc, char* argv[]) {
  benchmark::Initialize(&argc, argv);
  recording = argc > 1 ? std::filesystem::path(argv[1]) : GeneratedRecording();
  if (recording.empty() || !std::filesystem::is_regular_file(recording)) {
    std::fprintf(stderr, "container_bench: no recording\n");
    return 1;
  }
  std::printf("recording: %s (%ju bytes)\n", recording.c_str(),
              static_cast<std::uintmax_t>(std::filesystem::file_size(recording)));
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto ratio = [&](const char* what, const char* measured, const char* baseline) {
    const auto m = reporter.times.find(measured);
    const auto b = reporter.times.find(baseline);
    if (m == reporter.times.end() || b == reporter.times.end()) return;
    std::printf("%s: %.1f us per file, %.2fx plain reading (%.1f us)\n", what, m->second,
                m->second / b->second, b->second);
  };
  ratio("open and walk", "BM_OpenAndWalk", "BM_ReadMoovPlainly");
  ratio("load sensor track", "BM_LoadSensorTrack", "BM_ReadUdatPlainly");
  benchmark::Shutdown();
  return 0;
}
