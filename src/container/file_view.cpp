#include "container/file_view.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "container/posix_io.h"

FileView::~FileView() { Close(); }

bool FileView::Open(const std::filesystem::path& path) {
  Close();
  const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
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
}

bool FileView::Map(std::uint64_t offset, std::uint64_t length,
                   std::span<const std::uint8_t>* window) {
  if (fd_ < 0 || offset >= size_ || length == 0) return false;
  if (length > size_ - offset) length = size_ - offset;
  if (buffer_.size() < length) buffer_.resize(length);
  const std::span<std::uint8_t> bytes(buffer_.data(), length);
  if (!ReadExact(offset, bytes)) return false;
  *window = bytes;
  return true;
}

bool FileView::ReadExact(std::uint64_t offset, std::span<std::uint8_t> out) const {
  return fd_ >= 0 && ReadExactAt(fd_, out, offset);
}
