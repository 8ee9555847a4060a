#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "temp_dir.h"

// Writes the smallest file that passes the recorder-movie test: "ftyp" at
// bytes 4..7 and an 18-byte tail that begins with "CSMEND". The catalogue
// judges files by those bytes alone; tests of playback use generated
// recordings instead.
inline void WriteRecorderStub(const std::filesystem::path& path, bool valid = true) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << std::string("\0\0\0\x14", 4) << "ftypqt  " << std::string(8, '\0');
  out << (valid ? "CSMEND" : "CSMXXX") << std::string("\0\0\0\x0c" "free\0\0\0\0", 12);
}

