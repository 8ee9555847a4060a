#include "container/posix_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

ssize_t ReadAt(int fd, std::span<std::uint8_t> out, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got =
        ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

bool ReadExactAt(int fd, std::span<std::uint8_t> out, std::uint64_t offset) {
  const ssize_t got = ReadAt(fd, out, offset);
  return got >= 0 && static_cast<std::size_t>(got) == out.size();
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

bool WriteAllAt(int fd, std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
    offset += static_cast<std::uint64_t>(written);
  }
  return true;
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
  return RetryInterrupted([&] { return ::open(path, flags, mode); });
}
