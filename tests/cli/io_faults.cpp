// Preloaded into kestrel-cli by the interrupted-join tests (LD_PRELOAD): it
// stands between the program and its file calls and, as the environment
// asks, notes every call, stops the process by a signal before a given call,
// or lets every second read, write, open, flush and lock fail with EINTR
// before it is made, as a signal arriving in the call would.
//
//   KESTREL_IO_LOG=PATH       appends "NAME" or "NAME EINTR" for each call
//   KESTREL_IO_SIGNAL_AT=N    sends KESTREL_IO_SIGNAL to the process before
//   KESTREL_IO_SIGNAL=S       call number N (counted from 1)
//   KESTREL_IO_INTERRUPT=1    the first call of each kind, and every second
//                             one after it, fails with EINTR

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<long> calls{0};

long EnvNumber(const char* name) {
  const char* text = std::getenv(name);
  return text == nullptr ? 0 : std::atol(text);
}

// Written with the raw system call, so that the log takes no part in what it notes.
void Note(const char* name, bool interrupted) {
  static const int log = [] {
    const char* path = std::getenv("KESTREL_IO_LOG");
    return path == nullptr
               ? -1
               : static_cast<int>(syscall(SYS_openat, AT_FDCWD, path,
                                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  }();
  if (log < 0) return;
  char line[64];
  std::size_t length = std::strlen(name);
  std::memcpy(line, name, length);
  if (interrupted) {
    std::memcpy(line + length, " EINTR", 6);
    length += 6;
  }
  line[length++] = '\n';
  syscall(SYS_write, log, line, length);
}

// Called first by every wrapper, with the count of the calls of its kind
// that can be interrupted (none for one that cannot): true when the call is
// to fail with EINTR, which is the first of each kind and every second after.
bool Enter(const char* name, std::atomic<long>* ofKind) {
  static const long signalAt = EnvNumber("KESTREL_IO_SIGNAL_AT");
  static const int sent = static_cast<int>(EnvNumber("KESTREL_IO_SIGNAL"));
  static const bool interrupt = EnvNumber("KESTREL_IO_INTERRUPT") != 0;
  const long number = ++calls;
  if (number == signalAt && sent != 0) kill(getpid(), sent);
  const bool interrupted = interrupt && ofKind != nullptr && ++*ofKind % 2 == 1;
  Note(name, interrupted);
  if (interrupted) errno = EINTR;
  return interrupted;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

mode_t ModeOf(int flags, va_list args) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

}  // namespace

extern "C" {

ssize_t read(int fd, void* buffer, size_t count) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
  static std::atomic<long> attempts{0};
  return Enter("read", &attempts) ? -1 : next(fd, buffer, count);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
  static std::atomic<long> attempts{0};
  return Enter("pread", &attempts) ? -1 : next(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread64");
  static std::atomic<long> attempts{0};
  return Enter("pread", &attempts) ? -1 : next(fd, buffer, count, offset);
}

ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
  static std::atomic<long> attempts{0};
  return Enter("write", &attempts) ? -1 : next(fd, buffer, count);
}

// Noted as writes: a write at an offset, or a copy between files, is a
// write like any other.
ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  static const auto next = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  static std::atomic<long> attempts{0};
  return Enter("write", &attempts) ? -1 : next(fd, buffer, count, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off_t offset) {
  static const auto next = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64");
  static std::atomic<long> attempts{0};
  return Enter("write", &attempts) ? -1 : next(fd, buffer, count, offset);
}

ssize_t copy_file_range(int from, off64_t* fromOffset, int to, off64_t* toOffset, size_t count,
                        unsigned flags) {
  static const auto next =
      Next<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned)>("copy_file_range");
  static std::atomic<long> attempts{0};
  return Enter("write", &attempts) ? -1 : next(from, fromOffset, to, toOffset, count, flags);
}

int open(const char* path, int flags, ...) {
  static const auto next = Next<int (*)(const char*, int, ...)>("open");
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  static std::atomic<long> attempts{0};
  return Enter("open", &attempts) ? -1 : next(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  static const auto next = Next<int (*)(const char*, int, ...)>("open64");
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  static std::atomic<long> attempts{0};
  return Enter("open", &attempts) ? -1 : next(path, flags, mode);
}

int openat(int folder, const char* path, int flags, ...) {
  static const auto next = Next<int (*)(int, const char*, int, ...)>("openat");
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  static std::atomic<long> attempts{0};
  return Enter("openat", &attempts) ? -1 : next(folder, path, flags, mode);
}

int openat64(int folder, const char* path, int flags, ...) {
  static const auto next = Next<int (*)(int, const char*, int, ...)>("openat64");
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  static std::atomic<long> attempts{0};
  return Enter("openat", &attempts) ? -1 : next(folder, path, flags, mode);
}

int fsync(int fd) {
  static const auto next = Next<int (*)(int)>("fsync");
  static std::atomic<long> attempts{0};
  return Enter("fsync", &attempts) ? -1 : next(fd);
}

// Only a lock that waits can be interrupted.
int flock(int fd, int operation) {
  static const auto next = Next<int (*)(int, int)>("flock");
  static std::atomic<long> attempts{0};
  return Enter("flock", (operation & LOCK_NB) == 0 ? &attempts : nullptr) ? -1
                                                                          : next(fd, operation);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  static const auto next = Next<int (*)(int, const char*, int, const char*, int)>("linkat");
  Enter("linkat", nullptr);
  return next(fromFolder, from, toFolder, to, flags);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
  static const auto next = Next<int (*)(int, const char*, int, const char*)>("renameat");
  static std::atomic<long> attempts{0};
  return Enter("renameat", &attempts) ? -1 : next(fromFolder, from, toFolder, to);
}

}  // extern "C"
