#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

// Read-only access to one file through small windows read into memory.
//
// The recorder's own viewer maps views of the file; here each window is read
// with pread() into a buffer that the FileView owns. A file that shrinks
// while it is open, or a card that is pulled, then gives a short read and a
// clean failure instead of a SIGBUS on a mapped page. Windows are not aligned
// to a granularity: without a mapping there is nothing to align.
class FileView {
 public:
  FileView() = default;
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;
  ~FileView();

  // Opens a regular file for reading and takes its size. False when the file
  // cannot be opened or is not a regular file.
  bool Open(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // The file's size when it was opened; every window is cut at it.
  std::uint64_t Size() const { return size_; }

  // Reads up to `length` bytes at `offset`, cut at Size(). The window stays
  // valid until the next Map or Close. Fails when offset is at or past Size()
  // (a window of length 0) or when the bytes can no longer be read (the file
  // shrank, the device went away).
  bool Map(std::uint64_t offset, std::uint64_t length, std::span<const std::uint8_t>* window);

  // Reads exactly `out.size()` bytes at `offset` into `out`.
  bool ReadExact(std::uint64_t offset, std::span<std::uint8_t> out) const;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::vector<std::uint8_t> buffer_;
};
