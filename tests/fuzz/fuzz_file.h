#pragma once

// Hands a fuzz input to code that reads files: the bytes are written to a
// file of this process in /dev/shm (or the temporary folder).
//
// An input may describe a size instead of holding it: when it ends with
// "hole" and a big-endian 32-bit length, those 8 bytes are not written and
// the file is extended by that length as a hole (no memory, no disk). A size
// field that reaches past the written bytes is then read through the file's
// real length, as on a card with a sparse file.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

// The file of this process (one a target), removed when the process exits:
// it may be gigabytes long, if only as a hole.
inline std::filesystem::path FuzzFilePath(const char* name) {
  static std::filesystem::path path;
  const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
  path = folder / ("kestrel-fuzz-" + std::to_string(::getpid()) + "-" + name);
  std::atexit([] {
    std::error_code error;
    std::filesystem::remove(path, error);
  });
  return path;
}

inline void WriteFuzzFile(const std::filesystem::path& path, const std::uint8_t* data,
                          std::size_t size) {
  constexpr std::size_t kTrailer = 8;
  std::uint64_t hole = 0;
  if (size >= kTrailer && std::memcmp(data + size - kTrailer, "hole", 4) == 0) {
    const std::uint8_t* length = data + size - 4;
    hole = (std::uint64_t{length[0]} << 24) | (std::uint64_t{length[1]} << 16) |
           (std::uint64_t{length[2]} << 8) | std::uint64_t{length[3]};
    size -= kTrailer;
  }
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  if (hole > 0) std::filesystem::resize_file(path, size + hole);
}

// Record times are local times; every run decodes them in one zone.
inline void FixTimeZone() {
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
}
