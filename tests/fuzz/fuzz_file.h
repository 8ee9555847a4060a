#pragma once

// Hands a fuzz input to code that reads files: the bytes are written to a
// file of this process in /dev/shm (or the temporary folder).

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

inline std::filesystem::path FuzzFilePath(const char* name) {
  const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
  return folder / ("kestrel-fuzz-" + std::to_string(::getpid()) + "-" + name);
}

inline void WriteFuzzFile(const std::filesystem::path& path, const std::uint8_t* data,
                          std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Record times are local times; every run decodes them in one zone.
inline void FixTimeZone() {
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
}
