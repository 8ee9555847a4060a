#include "catalogue/recording_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

#include "container/named_mutex.h"

namespace {

bool ReadAt(int fd, char* buffer, std::size_t length, off_t offset) {
  return pread(fd, buffer, length, offset) == static_cast<ssize_t>(length);
}

}  // namespace

bool IsRecording(const std::filesystem::path& path) { return RecordingSize(path).has_value(); }

std::optional<std::uint64_t> RecordingSize(const std::filesystem::path& path) {
  static std::recursive_mutex& fileMutex = NamedMutex("hFileMutex");
  std::lock_guard<std::recursive_mutex> lock(fileMutex);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  char head[8];
  char tail[6];
  const bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 18 &&
                  ReadAt(fd, head, sizeof head, 0) && ReadAt(fd, tail, sizeof tail, info.st_size - 18) &&
                  std::memcmp(head + 4, "ftyp", 4) == 0 && std::memcmp(tail, "CSMEND", 6) == 0;
  close(fd);
  if (!ok) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}
