#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <span>

// File reads and writes that go on through interrupted system calls (a
// signal that arrives mid-call, such as a terminal resize) and through short
// transfers, so callers see only real failures. On failure errno says why.

// Reads up to `out.size()` bytes at `offset`; fewer only at the end of the
// file. Returns the count, or -1 on an error.
ssize_t ReadAt(int fd, std::span<std::uint8_t> out, std::uint64_t offset);

// Reads exactly `out.size()` bytes at `offset`; false on an error or when
// the file ends first.
bool ReadExactAt(int fd, std::span<std::uint8_t> out, std::uint64_t offset);

// Writes all of `bytes` at the file's position; false on an error (errno
// ENOSPC when the device took nothing more without saying why).
bool WriteAll(int fd, std::span<const std::uint8_t> bytes);

// Writes all of `bytes` at `offset`, leaving the file's position alone.
bool WriteAllAt(int fd, std::span<const std::uint8_t> bytes, std::uint64_t offset);

// open(2) that retries when interrupted.
int OpenRetrying(const char* path, int flags, mode_t mode = 0);

// Calls `call` (a system call returning -1 with errno on failure) again for
// as long as it fails with EINTR, and returns its last result.
template <typename Call>
auto RetryInterrupted(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}
