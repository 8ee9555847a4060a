// Writes the seed inputs of the fuzz targets into a folder: small recorder
// movies and variants of them made with the tests' atom builder.

#include <cstdio>
#include <filesystem>

#include "atom_builder.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
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
  return 0;
}
