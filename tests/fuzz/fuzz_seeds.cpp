// Writes the seed inputs of the fuzz targets into a folder: small recorder
// movies and variants of them made with the tests' atom builder, and the
// recordings of a generated card with their media cut to a few bytes and
// their sensor track to five records (their movie atoms are ffmpeg's own).
//
//   fuzz_seeds FOLDER [CARD]

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "atom_builder.h"

namespace {

constexpr std::size_t kSeedRecords = 5;

std::uint32_t ReadBe32(const atoms::Bytes& bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
         (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

// The recording with a short mdat and at most kSeedRecords sensor records.
atoms::Bytes ShrinkRecording(const atoms::Bytes& file) {
  atoms::Bytes out;
  std::size_t at = 0;
  while (at + 8 <= file.size()) {
    const std::uint32_t size = ReadBe32(file, at);
    if (size < 8 || size > file.size() - at) break;
    const std::string name(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           file.begin() + static_cast<std::ptrdiff_t>(at + 8));
    const auto begin = file.begin() + static_cast<std::ptrdiff_t>(at);
    if (name == "mdat") {
      atoms::Append(out, atoms::Mdat(8));
    } else if (name == "udat" && size >= 8 + 34) {
      const std::size_t records = std::min<std::size_t>(
          {kSeedRecords, (size - 8 - 34) / 124, std::size_t{file[at + 40]} << 8 | file[at + 41]});
      atoms::Bytes content(begin + 8, begin + 8 + 32);
      atoms::Append(content, atoms::Be16(static_cast<std::uint16_t>(records)));
      content.insert(content.end(), begin + 8 + 34,
                     begin + 8 + 34 + static_cast<std::ptrdiff_t>(records * 124));
      atoms::Append(content, atoms::Text("CSMEND"));
      atoms::Append(out, atoms::Atom("udat", content));
    } else {
      out.insert(out.end(), begin, begin + size);
    }
    at += size;
  }
  return out;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER [CARD]\n");
    return 2;
  }
  using atoms::Atom;
  using atoms::Cat;
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  std::vector<std::string> marked = atoms::SampleRecords(4);
  marked[1][75] = 'D';
  marked[2][73] = 'X';
  marked[2][122] = 'M';
  marked[3].replace(44, 3, "015");
  const std::string chained = atoms::HeaderBlock('D') + "xxxx@CSA" + "0500060007000800M090807LQ0";
  const std::vector<std::pair<const char*, atoms::Bytes>> seeds = {
      {"recorder.MOV", atoms::RecorderMovie(20)},
      {"marked.MOV", atoms::RecorderMovie(atoms::Udat(marked))},
      {"ntsc.MOV", Cat({atoms::Ftyp(), atoms::Mdat(16), atoms::Moov(30, 3003),
                        atoms::Udat(atoms::SampleRecords(3)), atoms::Closing()})},
      {"empty-track.MOV", atoms::RecorderMovie(0)},
      {"open-track.MOV", Cat({atoms::Ftyp(), atoms::Udat(atoms::SampleRecords(2), 9, false)})},
      {"chained-header.MOV",
       Cat({atoms::Ftyp(), Atom("udat", Cat({atoms::Text("CSMDAT"), atoms::Text(chained)}))})},
      {"nested.MOV",
       Cat({atoms::Ftyp(),
            Atom("moov", {Atom("udta", {Atom("meta", {Atom("free", atoms::Bytes(4, 0))})})})})},
  };
  for (const auto& [name, bytes] : seeds) atoms::WriteFile(folder / name, bytes);

  // Inputs that describe their sizes (fuzz_file.h): atoms of gigabytes held
  // as a hole at the end of the file, and a flood of 8-byte atoms.
  const auto hole = [](std::uint32_t length) {
    return Cat({atoms::Text("hole"), atoms::Be32(length)});
  };
  atoms::Bytes flood;
  for (int i = 0; i < 4000; ++i) atoms::Append(flood, Atom("free", atoms::Bytes{}));
  const std::vector<std::pair<const char*, atoms::Bytes>> described = {
      {"huge-free.MOV", Cat({atoms::RecorderMovie(3), atoms::AtomWithSize(0xFFFFFFF8, "free", {}),
                             hole(0xFFFFFFF0)})},
      {"huge-uuid.MOV", Cat({atoms::Ftyp(), atoms::Moov(), atoms::Udat(atoms::SampleRecords(2)),
                             atoms::AtomWithSize(0x40000000, "uuid", {}), hole(0x40000000 - 8)})},
      {"huge-leading.MOV",
       Cat({atoms::AtomWithSize(0x40000000, "junk", {}), hole(0x40000000 - 8)})},
      {"huge-udat.MOV",
       Cat({atoms::Ftyp(), atoms::Moov(),
            atoms::AtomWithSize(0xFFFFFFF8, "udat", atoms::Text("CSMDAT")), hole(0xFFFFFFF0 - 6)})},
      {"flood.MOV", Cat({atoms::Ftyp(), flood, atoms::Moov(), atoms::Udat(atoms::SampleRecords(3)),
                         atoms::Closing()})},
  };
  for (const auto& [name, bytes] : described) atoms::WriteFile(folder / name, bytes);

  if (argc == 3) {
    int written = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[2])) {
      if (entry.path().extension() != ".MOV") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const atoms::Bytes file{std::istreambuf_iterator<char>(in), {}};
      atoms::WriteFile(folder / ("card-" + entry.path().filename().string()),
                       ShrinkRecording(file));
      ++written;
    }
    if (written == 0) {
      std::fprintf(stderr, "fuzz_seeds: no recordings in %s\n", argv[2]);
      return 1;
    }
  }
  return 0;
}
