#include "container/file_view.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "container/posix_io.h"

namespace {

// What a file that is not a regular file is, in words.
const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  return "of an unknown kind";
}

int Refuse(std::string* why, std::string text) {
  if (why != nullptr) *why = std::move(text);
  return -1;
}

}  // namespace

int OpenRegularFile(const std::filesystem::path& path, std::string* why) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    return Refuse(why, std::string("cannot open the file: ") + std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) {
    return Refuse(why, std::string("not a regular file: it is ") + KindOf(info.st_mode));
  }
  const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Refuse(why, std::string("cannot open the file: ") + std::strerror(errno));
  // Something else may have taken the name between the stat and the open.
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return Refuse(why, "not a regular file: it changed while it was opened");
  }
  return fd;
}

FileView::~FileView() { Close(); }

bool FileView::Open(const std::filesystem::path& path, std::string* why) {
  Close();
  const int fd = OpenRegularFile(path, why);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    if (why != nullptr) *why = std::string("cannot open the file: ") + std::strerror(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = static_cast<std::uint64_t>(info.st_size);
  return true;
}

void FileView::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
  buffer_.clear();
  buffer_.shrink_to_fit();
  block_.clear();
  block_.shrink_to_fit();
  blockOffset_ = 0;
  blockLength_ = 0;
  lastOffset_ = 0;
}

bool FileView::Map(std::uint64_t offset, std::uint64_t length,
                   std::span<const std::uint8_t>* window) {
  if (fd_ < 0 || offset >= size_ || length == 0) return false;
  if (length > size_ - offset) length = size_ - offset;
  if (length <= kBlockSize) return MapFromBlock(offset, length, window);
  blockLength_ = 0;
  lastOffset_ = offset;
  if (buffer_.size() < length) buffer_.resize(length);
  const std::span<std::uint8_t> bytes(buffer_.data(), length);
  if (!ReadExact(offset, bytes)) return false;
  *window = bytes;
  return true;
}

bool FileView::MapFromBlock(std::uint64_t offset, std::uint64_t length,
                            std::span<const std::uint8_t>* window) {
  const bool movedOn = blockLength_ > 0 && offset > lastOffset_;
  lastOffset_ = offset;
  if (!movedOn || offset < blockOffset_ || offset + length > blockOffset_ + blockLength_) {
    // Read ahead as far as the block and the size at open allow; the file
    // may be shorter by now, and then only a window inside what it still
    // holds is served.
    block_.resize(kBlockSize);
    const std::uint64_t want = std::min<std::uint64_t>(kBlockSize, size_ - offset);
    const ssize_t got = ReadAt(fd_, std::span(block_.data(), want), offset);
    if (got < 0 || static_cast<std::uint64_t>(got) < length) {
      blockLength_ = 0;
      return false;
    }
    blockOffset_ = offset;
    blockLength_ = static_cast<std::uint64_t>(got);
  }
  *window = std::span<const std::uint8_t>(block_.data() + (offset - blockOffset_), length);
  return true;
}

bool FileView::ReadExact(std::uint64_t offset, std::span<std::uint8_t> out) const {
  return fd_ >= 0 && ReadExactAt(fd_, out, offset);
}
