// Benchmarks of the catalogue's long commands, each next to a baseline
// measured in the same run on the same files with a warm page cache:
//  - join of ten 60-second 1080p recordings against `cat` of the same files
//    (the byte-copy limit) and against ffmpeg's concat demuxer;
//  - a 60-second clip across two 60-second 1080p recordings against `cat`
//    of the bytes the clip holds (the clip itself, copied);
//  - a scan of 10,000 recordings against the floor of a stat and two small
//    reads per file;
//  - the CSV list of 1,000 recordings, against the same floor;
//  - the events and the GPX routes of a card of 1,000 60-second
//    recordings, against reading every file's sensor atom with pread;
//  - the repair of a 60-second 1080p recording cut short at 45 s, against
//    `cat` of the damaged file's bytes.
// Usage: catalogue_bench [WORKDIR [events|clip|repair]]   (inputs are
// generated there once; "events", "clip" or "repair" runs only that one)

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "catalogue/csv_export.h"
#include "catalogue/expanded_track.h"
#include "catalogue/gpx_export.h"
#include "catalogue/join_merge.h"
#include "catalogue/recording_clip.h"
#include "catalogue/recording_join.h"
#include "catalogue/recording_repair.h"
#include "catalogue/source_entries.h"
#include "catalogue/source_events.h"
#include "container/sensor_track.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs a program (no shell), its standard output to `out` or /dev/null.
bool Spawn(std::vector<std::string> args, const char* out = "/dev/null") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

void WarmUp(const std::vector<fs::path>& files) {
  std::vector<char> buffer(1 << 20);
  for (const fs::path& file : files) {
    const int fd = open(file.c_str(), O_RDONLY);
    while (read(fd, buffer.data(), buffer.size()) > 0) {
    }
    close(fd);
  }
}

fs::path Generate(const fs::path& folder, std::vector<std::string> options) {
  if (!fs::exists(folder / "DCIM")) {
    options.insert(options.begin(), KESTREL_MKCARD_PATH);
    options.push_back(folder.string());
    if (!Spawn(options)) {
      std::fprintf(stderr, "cannot generate %s\n", folder.c_str());
      std::exit(1);
    }
  }
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".MOV") return entry.path();
  }
  std::exit(1);
}

void JoinBench(const fs::path& work) {
  const fs::path recording = Generate(
      work / "hd", {"--folders", "1", "--files", "1", "--seconds", "60", "--size", "1920x1080"});
  std::vector<fs::path> inputs;
  for (int i = 0; i < 10; ++i) {
    const fs::path copy = work / "hd" / ("input" + std::to_string(i) + ".MOV");
    if (!fs::exists(copy)) fs::copy_file(recording, copy);
    inputs.push_back(copy);
  }
  std::uintmax_t bytes = 0;
  for (const fs::path& input : inputs) bytes += fs::file_size(input);
  const fs::path output = work / "joined.MOV";
  const fs::path list = work / "concat.txt";
  {
    FILE* f = std::fopen(list.c_str(), "w");
    for (const fs::path& input : inputs) std::fprintf(f, "file '%s'\n", input.c_str());
    std::fclose(f);
  }
  WarmUp(inputs);
  std::vector<std::string> cat = {"cat"};
  for (const fs::path& input : inputs) cat.push_back(input.string());
  // The join flushes its output to the disk before it renames it into
  // place; cat is measured without and with the same flush.
  const double catTime = MedianSeconds(5, [&] { Spawn(cat, output.c_str()); });
  const double catSyncTime = MedianSeconds(5, [&] {
    Spawn(cat, output.c_str());
    const int fd = open(output.c_str(), O_WRONLY);
    fsync(fd);
    close(fd);
  });
  const double joinTime = MedianSeconds(5, [&] {
    if (Join(inputs, output).error != JoinError::kNone) std::abort();
  });
  const double ffmpegTime = MedianSeconds(3, [&] {
    Spawn({"ffmpeg", "-v", "error", "-y", "-f", "concat", "-safe", "0", "-i", list.string(), "-c",
           "copy", output.string()});
  });
  fs::remove(output);
  const double mb = static_cast<double>(bytes) / 1e6;
  std::printf("join of 10 x 60 s 1080p (%.0f MB, warm cache)\n", mb);
  std::printf("  cat               %7.3f s  %7.0f MB/s\n", catTime, mb / catTime);
  std::printf("  cat, then fsync   %7.3f s  %7.0f MB/s\n", catSyncTime, mb / catSyncTime);
  std::printf(
      "  kestrel join      %7.3f s  %7.0f MB/s  %5.0f %% of cat, %5.0f %% of cat with fsync\n",
      joinTime, mb / joinTime, 100 * catTime / joinTime, 100 * catSyncTime / joinTime);
  std::printf("  ffmpeg concat     %7.3f s  %7.0f MB/s  %5.0f %% of cat\n", ffmpegTime,
              mb / ffmpegTime, 100 * catTime / ffmpegTime);
}

void ClipBench(const fs::path& work) {
  Generate(work / "drive",
           {"--folders", "1", "--files", "2", "--seconds", "60", "--size", "1920x1080"});
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::recursive_directory_iterator(work / "drive")) {
    if (entry.path().extension() == ".MOV") inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  // From the middle of a group of pictures half-way through the first
  // recording to the same place in the second.
  const StretchResult stretch =
      StretchBetweenMoments(inputs, {inputs[0], 30'500'000'000}, {inputs[1], 30'500'000'000});
  if (inputs.size() != 2 || stretch.error != ClipError::kNone) {
    std::fprintf(stderr, "no stretch: %s\n", stretch.why.c_str());
    std::exit(1);
  }
  const fs::path output = work / "clip.MOV";
  const fs::path copy = work / "clip_copy.MOV";
  WarmUp(inputs);
  const double clipTime = MedianSeconds(5, [&] {
    if (WriteClip(stretch.stretch, output).error != ClipError::kNone) std::abort();
  });
  // cat copies the very bytes the clip holds, warm in the cache as the
  // recordings are; the clip flushes its output before renaming it, so cat
  // is measured without and with the same flush.
  WarmUp({output});
  const double catTime = MedianSeconds(5, [&] { Spawn({"cat", output.string()}, copy.c_str()); });
  const double catSyncTime = MedianSeconds(5, [&] {
    Spawn({"cat", output.string()}, copy.c_str());
    const int fd = open(copy.c_str(), O_WRONLY);
    fsync(fd);
    close(fd);
  });
  const double mb = static_cast<double>(fs::file_size(output)) / 1e6;
  fs::remove(output);
  fs::remove(copy);
  std::printf("clip of %.1f s across two 60 s 1080p recordings (%.0f MB, warm cache)\n",
              static_cast<double>(stretch.stretch.lengthNs) / 1e9, mb);
  std::printf("  cat of its bytes  %7.3f s  %7.0f MB/s\n", catTime, mb / catTime);
  std::printf("  cat, then fsync   %7.3f s  %7.0f MB/s\n", catSyncTime, mb / catSyncTime);
  std::printf(
      "  kestrel clip      %7.3f s  %7.0f MB/s  %5.0f %% of cat, %5.0f %% of cat with fsync\n",
      clipTime, mb / clipTime, 100 * catTime / clipTime, 100 * catSyncTime / clipTime);
}

void ScanAndCsvBench(const fs::path& work) {
  const fs::path small = Generate(
      work / "small", {"--folders", "1", "--files", "1", "--seconds", "1", "--size", "160x120"});
  const std::vector<fs::path> links = LinkedCard(small, work / "links", 10000, 1000, "A");
  WarmUp({small});
  const double floor = MedianSeconds(5, [&] { StatAndTwoReads(links); });
  std::size_t listed = 0;
  const double scan = MedianSeconds(5, [&] {
    Catalogue catalogue;
    std::vector<FileEntry> entries;
    int counter = 0;
    catalogue.CollectAll(work / "links" / "DCIM", entries, counter);
    listed = entries.size();
  });
  std::printf("scan of %zu recordings in 10 folders (warm cache)\n", listed);
  std::printf("  floor (stat + 2 reads)  %7.3f s\n", floor);
  std::printf("  catalogue CollectAll    %7.3f s  %5.2f x the floor\n", scan, scan / floor);

  std::vector<FileEntry> entries;
  Catalogue catalogue;
  int counter = 0;
  catalogue.CollectAll(work / "links" / "DCIM" / "100MEDIA", entries, counter);
  const std::vector<fs::path> first(links.begin(), links.begin() + 1000);
  const double csvFloor = MedianSeconds(5, [&] { StatAndTwoReads(first); });
  const double csv = MedianSeconds(3, [&] {
    if (ExportCsv(entries, work).error != CsvError::kNone) std::abort();
  });
  std::printf("CSV list of %zu recordings (warm cache)\n", entries.size());
  std::printf("  floor (stat + 2 reads)  %7.4f s\n", csvFloor);
  std::printf("  ExportCsv               %7.4f s  %5.1f x the floor, %.0f us a recording\n", csv,
              csv / csvFloor, 1e6 * csv / static_cast<double>(entries.size()));
}

// The floor of reading a sensor track: walk the top-level atom headers
// with pread and read the sensor atom whole.
std::size_t ReadSensorAtoms(const std::vector<fs::path>& files) {
  std::size_t bytes = 0;
  std::vector<unsigned char> atom;
  for (const fs::path& file : files) {
    const int fd = open(file.c_str(), O_RDONLY);
    unsigned char header[8];
    for (off_t at = 0; pread(fd, header, 8, at) == 8;) {
      const std::uint32_t size =
          (std::uint32_t{header[0]} << 24) | (header[1] << 16) | (header[2] << 8) | header[3];
      if (size < 8) break;
      if (std::string_view(reinterpret_cast<char*>(header) + 4, 4) == "udat") {
        atom.resize(size);
        bytes += static_cast<std::size_t>(pread(fd, atom.data(), size, at));
        break;
      }
      at += size;
    }
    close(fd);
  }
  return bytes;
}

void EventsAndGpxBench(const fs::path& work) {
  const fs::path minute = Generate(
      work / "minute", {"--folders", "1", "--files", "1", "--seconds", "60", "--size", "160x120"});
  const std::vector<fs::path> links = LinkedCard(minute, work / "minutes", 1000, 100, "G");
  WarmUp({minute});
  std::size_t bytes = 0;
  const double floor = MedianSeconds(5, [&] { bytes = ReadSensorAtoms(links); });
  std::size_t events = 0;
  const double scan = MedianSeconds(3, [&] {
    Catalogue catalogue;
    const std::vector<FileEntry> entries = CollectSource(catalogue, work / "minutes");
    events = 0;
    ScanEvents(entries, {.found = [&](RecordingEvents found) { events += found.events.size(); }});
  });
  const fs::path gpx = work / "card.gpx";
  const double route = MedianSeconds(3, [&] {
    std::vector<GpxTrack> tracks;
    for (const fs::path& link : links) {
      GpxTrack track{link.filename().string(), {}};
      SensorTrack::LoadRoute(std::span(&link, 1), &track.positions);
      tracks.push_back(std::move(track));
    }
    std::string why;
    if (!WriteGpx(tracks, gpx, {}, why)) std::abort();
  });
  std::printf("events and GPX of %zu 60-s recordings (warm cache, %.1f MB of sensor atoms)\n",
              links.size(), static_cast<double>(bytes) / 1e6);
  std::printf("  floor (pread of every sensor atom)  %7.3f s\n", floor);
  std::printf("  events (%zu)                   %7.3f s  %5.2f x the floor\n", events, scan,
              scan / floor);
  std::printf("  GPX of the card (%.1f MB)          %7.3f s  %5.2f x the floor\n",
              static_cast<double>(fs::file_size(gpx)) / 1e6, route, route / floor);
  fs::remove(gpx);
}

// Where picture `index` of a healthy recording lies in its file.
std::pair<std::uint64_t, std::uint32_t> PicturePlace(const fs::path& recording, std::size_t index) {
  auto movie = MovieFile::Open(recording, true);
  JoinAtoms atoms;
  std::string why;
  if (!movie || !FindJoinAtoms(*movie, atoms, why)) std::abort();
  const TrackAtoms& track = atoms.tracks[0];
  const auto expanded =
      ExpandTrack(track.stts->data, track.stsz->data, track.stsc->data, track.stco->data, 1 << 20);
  if (!expanded || expanded->SampleCount() <= index) std::abort();
  std::size_t sample = 0;
  for (const ExpandedTrack::Chunk& chunk : expanded->chunks) {
    std::uint64_t at = chunk.offset;
    for (std::uint32_t i = 0; i < chunk.samples; ++i, ++sample) {
      if (sample == index) return {at, expanded->SizeOf(sample)};
      at += expanded->SizeOf(sample);
    }
  }
  std::abort();
}

void RepairBench(const fs::path& work) {
  const fs::path reference = Generate(work / "repair", {"--folders", "1", "--files", "1",
                                                        "--seconds", "60", "--size", "1920x1080"});
  // The damaged copy: the same recording cut in the middle of its picture at
  // 45 s, without its index and sensor track.
  const fs::path damaged = work / "cut-short.MOV";
  const auto [offset, size] = PicturePlace(reference, 45 * 30);
  if (!fs::exists(damaged)) {
    fs::copy_file(reference, damaged);
    fs::resize_file(damaged, offset + size / 2);
  }
  const fs::path output = work / "repaired.MOV";
  WarmUp({reference, damaged});
  const double catTime = MedianSeconds(5, [&] {
    Spawn({"cat", damaged.string()}, output.c_str());
  });
  const double catSyncTime = MedianSeconds(5, [&] {
    Spawn({"cat", damaged.string()}, output.c_str());
    const int fd = open(output.c_str(), O_WRONLY);
    fsync(fd);
    close(fd);
  });
  RepairResult result;
  const double repairTime = MedianSeconds(5, [&] {
    result = Repair(damaged, output, {.reference = reference});
    if (result.error != RepairError::kNone) std::abort();
  });
  fs::remove(output);
  const double mb = static_cast<double>(fs::file_size(damaged)) / 1e6;
  std::printf(
      "repair of a 60 s 1080p recording cut at 45 s (%.0f MB, %u pictures kept, warm cache)\n", mb,
      result.pictures);
  std::printf("  cat               %7.3f s  %7.0f MB/s\n", catTime, mb / catTime);
  std::printf("  cat, then fsync   %7.3f s  %7.0f MB/s\n", catSyncTime, mb / catSyncTime);
  std::printf(
      "  kestrel repair    %7.3f s  %7.0f MB/s  %5.0f %% of cat, %5.0f %% of cat with fsync\n",
      repairTime, mb / repairTime, 100 * catTime / repairTime, 100 * catSyncTime / repairTime);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kestrel-bench";
  fs::create_directories(work);
  setenv("TZ", "UTC", 1);
  const std::string_view only = argc > 2 ? argv[2] : "";
  if (only.empty()) JoinBench(work);
  if (only.empty() || only == "clip") ClipBench(work);
  if (only.empty()) ScanAndCsvBench(work);
  if (only.empty() || only == "events") EventsAndGpxBench(work);
  if (only.empty() || only == "repair") RepairBench(work);
  return 0;
}
