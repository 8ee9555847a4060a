#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>
#include <string_view>

namespace {

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports whether closing succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

// Reads a regular file of at most kMaxRewrittenFileBytes from its start.
bool ReadAll(int fd, std::string& out) {
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::uintmax_t>(status.st_size) > kMaxRewrittenFileBytes) {
    return false;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(buffer, static_cast<size_t>(n));
    if (out.size() > kMaxRewrittenFileBytes) return false;  // grew while read
  }
}

// Opens a file for reading without waiting for a FIFO's writer.
int OpenForReading(const std::filesystem::path& file) {
  return open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

// The file that `file` leads to through symbolic links; nothing for a loop.
std::optional<std::filesystem::path> LinkTarget(std::filesystem::path file) {
  constexpr int kMaxLinks = 40;  // as the kernel follows them
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(file, error)) return file;
    const std::filesystem::path next = std::filesystem::read_symlink(file, error);
    if (error) return std::nullopt;
    file = next.is_absolute() ? next : file.parent_path() / next;
  }
  return std::nullopt;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Creates a new, empty temporary file next to `file`; the permissions follow
// the process's umask like any new file. Returns the descriptor (or -1) and
// sets `tempPath`.
int CreateTempFile(const std::filesystem::path& file, std::filesystem::path& tempPath) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempPath = file;
    tempPath.replace_filename("." + file.filename().string() + "." + std::to_string(getpid()) +
                              "." + std::to_string(random()) + ".tmp");
    const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes `content` to a flushed temporary file and renames it over `file`.
bool ReplaceFile(const std::filesystem::path& file, std::string_view content,
                 std::optional<mode_t> mode) {
  std::filesystem::path tempPath;
  FileDescriptor temp(CreateTempFile(file, tempPath));
  if (temp.get() < 0) return false;
  const bool written = (!mode || fchmod(temp.get(), *mode) == 0) && WriteAll(temp.get(), content) &&
                       fsync(temp.get()) == 0 && temp.Close() &&
                       rename(tempPath.c_str(), file.c_str()) == 0;
  if (!written) unlink(tempPath.c_str());
  return written;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
  FileDescriptor fd(OpenForReading(file));
  std::string content;
  if (fd.get() < 0 || !ReadAll(fd.get(), content)) return std::nullopt;
  return content;
}

bool RewriteFileAtomically(const std::filesystem::path& link, const FileEdit& edit) {
  const std::optional<std::filesystem::path> target = LinkTarget(link);
  if (!target) return false;
  const std::filesystem::path& file = *target;
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  FileDescriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFd.get() < 0) return false;
  // Serialises writers of this folder's files across threads and processes;
  // where the file system has no such locks, the write goes on without.
  while (flock(folderFd.get(), LOCK_EX) != 0 && errno == EINTR) {
  }

  std::optional<std::string> old;
  std::optional<mode_t> mode;
  FileDescriptor oldFd(OpenForReading(file));
  if (oldFd.get() >= 0) {
    struct stat status {};
    std::string content;
    if (fstat(oldFd.get(), &status) != 0 || !ReadAll(oldFd.get(), content)) return false;
    old = std::move(content);
    mode = status.st_mode & 07777;
  } else if (errno != ENOENT) {
    return false;
  }

  std::string content;
  if (!edit(old, content)) return false;
  if (old == content) return true;
  if (!ReplaceFile(file, content, mode)) return false;
  // Makes the rename itself durable; file systems that cannot flush a folder
  // say EINVAL, and the file is in place all the same.
  return fsync(folderFd.get()) == 0 || errno == EINVAL;
}
