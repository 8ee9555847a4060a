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

namespace {

// Writes every byte through `writeOnce(rest, written so far)`, again after an
// interruption; a write that takes nothing means the disk is full.
template <typename WriteOnce>
bool WriteEvery(std::span<const std::uint8_t> bytes, WriteOnce writeOnce) {
  std::uint64_t done = 0;
  while (!bytes.empty()) {
    const ssize_t written = writeOnce(bytes, done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
    done += static_cast<std::uint64_t>(written);
  }
  return true;
}

}  // namespace

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  return WriteEvery(bytes, [fd](std::span<const std::uint8_t> rest, std::uint64_t) {
    return ::write(fd, rest.data(), rest.size());
  });
}

bool WriteAllAt(int fd, std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  return WriteEvery(bytes, [fd, offset](std::span<const std::uint8_t> rest, std::uint64_t done) {
    return ::pwrite(fd, rest.data(), rest.size(), static_cast<off_t>(offset + done));
  });
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
  return RetryInterrupted([&] { return ::open(path, flags, mode); });
}
