// A recording with a flood of 8-byte top-level atoms between its `ftyp` and
// its media (64 MiB and 512 MiB of them): kestrel-cli info, and the reader's
// three top-level scans in this process (record count, track header, frame
// unit: what info runs once the walk is done), each next to `cat FILE >
// /dev/null` in the same run, from the page cache.
//
//   tiny_atoms_bench [FOLDER]
//
// The files are written into FOLDER (the temporary folder by default) and
// removed at the end; the recording comes from kestrel-mkcard (written once
// into the build folder).

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_support.h"
#include "container/big_endian.h"
#include "container/sensor_track.h"

namespace {

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
                              " --folders 1 --files 1 --seconds 2 --size 320x180 '" +
                              card.string() + "' >/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  return find();
}

// The recording's `ftyp`, `flood` bytes of 8-byte `free` atoms, then the
// rest of the recording.
bool WriteFlooded(const std::vector<char>& recording, std::uint64_t flood,
                  const std::filesystem::path& path) {
  const std::uint32_t ftyp =
      ReadBigEndian32(reinterpret_cast<const std::uint8_t*>(recording.data()));
  if (ftyp < 8 || ftyp > recording.size()) return false;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(recording.data(), ftyp);
  std::vector<char> atoms(1 << 20);
  for (std::size_t i = 0; i < atoms.size(); i += 8) {
    const char header[8] = {0, 0, 0, 8, 'f', 'r', 'e', 'e'};
    std::copy(header, header + 8, atoms.begin() + static_cast<std::ptrdiff_t>(i));
  }
  for (std::uint64_t written = 0; written < flood; written += atoms.size()) {
    out.write(atoms.data(), static_cast<std::streamsize>(atoms.size()));
  }
  out.write(recording.data() + ftyp, static_cast<std::streamsize>(recording.size() - ftyp));
  return static_cast<bool>(out.flush());
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

int main(int argc, char* argv[]) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
  const std::filesystem::path recordingPath = GeneratedRecording();
  std::ifstream in(recordingPath, std::ios::binary);
  const std::vector<char> recording{std::istreambuf_iterator<char>(in), {}};
  if (recording.size() < 8) {
    std::fprintf(stderr, "tiny_atoms_bench: no recording\n");
    return 1;
  }
  struct Size {
    const char* label;
    std::uint64_t bytes;
    double goal;  // seconds for info
  };
  for (const Size size : {Size{"64 MiB", 64u << 20, 1.0}, Size{"512 MiB", 512u << 20, 8.0}}) {
    const std::filesystem::path file =
        folder / ("kestrel-tiny-atoms-" + std::to_string(size.bytes) + ".MOV");
    if (!WriteFlooded(recording, size.bytes, file)) {
      std::fprintf(stderr, "tiny_atoms_bench: cannot write %s\n", file.c_str());
      return 1;
    }
    const std::string cat = "cat " + Quoted(file) + " >/dev/null";
    const std::string info =
        std::string(KESTREL_CLI_PATH) + " info " + Quoted(file) + " >/dev/null 2>&1";
    int infoStatus = 0;
    std::int64_t records = -1;
    const double catSeconds = MedianSeconds(3, [&] {
      if (std::system(cat.c_str()) != 0) std::abort();
    });
    const double infoSeconds = MedianSeconds(3, [&] { infoStatus = std::system(info.c_str()); });
    const double scanSeconds = MedianSeconds(3, [&] {
      SensorTrack track;
      TrackHeader header;
      records = track.RecordCount(file).value_or(-1);
      if (!track.LoadHeader(file, &header) || !track.FrameRateScan(file)) records = -1;
    });
    std::filesystem::remove(file);
    std::printf("%s of 8-byte atoms: cat %.3f s\n", size.label, catSeconds);
    std::printf("  kestrel-cli info: %.3f s, %.1fx cat (goal %.0f s; exit status %d)\n",
                infoSeconds, infoSeconds / catSeconds, size.goal, WEXITSTATUS(infoStatus));
    std::printf("  three top-level scans: %.3f s, %.1fx cat (%lld records found)\n", scanSeconds,
                scanSeconds / catSeconds, static_cast<long long>(records));
    if (records <= 0) {
      std::fprintf(stderr, "tiny_atoms_bench: the scans did not reach the sensor track\n");
      return 1;
    }
  }
  return 0;
}
