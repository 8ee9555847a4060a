#pragma once

// Independent readers of generated files for the tests: a top-level atom walk,
// a path walk into moov, and a decoder of the sensor records by their layout.
// They share no code with the generator's writers.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "mkcard/drive_model.h"
#include "temp_dir.h"

struct Atom {
  std::uint64_t offset = 0;  // of the header
  std::uint32_t size = 0;    // header included
  std::string name;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
std::uint32_t Be32(const std::vector<std::uint8_t>& bytes, std::uint64_t offset);

// Returns the atoms inside [begin, end), stopping at a size that does not fit.
std::vector<Atom> AtomsIn(const std::vector<std::uint8_t>& bytes, std::uint64_t begin,
                          std::uint64_t end);

// Follows `path` (the first atom of each name at each level) from the top level.
std::optional<Atom> FindAtom(const std::vector<std::uint8_t>& bytes,
                             const std::vector<std::string>& path);

// Decodes the 124 bytes of one record by the recorder's layout.
mkcard::SensorSample DecodeRecord(const std::uint8_t* record);

namespace mkcard {
// Prints a record's fields in test failures.
void PrintTo(const SensorSample& sample, std::ostream* out);
}  // namespace mkcard

// Runs the generator with `args` (and PATH set to `path` when it is given);
// returns its exit status and stderr text.
struct GeneratorRun {
  int status = -1;
  std::string errors;
};
GeneratorRun RunGenerator(const std::vector<std::string>& args, const char* path = nullptr);

