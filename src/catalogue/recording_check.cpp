#include "catalogue/recording_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

#include "container/file_view.h"
#include "container/named_mutex.h"
#include "container/posix_io.h"

bool IsRecording(const std::filesystem::path& path) { return RecordingSize(path).has_value(); }

std::optional<std::uint64_t> RecordingSize(const std::filesystem::path& path) {
  static std::recursive_mutex& fileMutex = NamedMutex("hFileMutex");
  std::lock_guard<std::recursive_mutex> lock(fileMutex);
  const int fd = OpenRegularFile(path);
  if (fd < 0) return std::nullopt;
  const std::optional<std::uint64_t> size = RecordingSizeOf(fd);
  close(fd);
  return size;
}

std::optional<std::uint64_t> RecordingSizeOf(int fd) {
  struct stat info {};
  std::uint8_t head[8];
  std::uint8_t tail[6];
  const bool ok = fstat(fd, &info) == 0 && info.st_size >= 18 && ReadExactAt(fd, head, 0) &&
                  ReadExactAt(fd, tail, static_cast<std::uint64_t>(info.st_size) - 18) &&
                  std::memcmp(head + 4, "ftyp", 4) == 0 && std::memcmp(tail, "CSMEND", 6) == 0;
  if (!ok) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}
