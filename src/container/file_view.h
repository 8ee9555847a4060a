#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

// Opens `path` for reading when it is a regular file; a symbolic link is
// followed to what it points at. FIFOs, sockets, devices and folders are
// refused before they are opened, and the open itself never blocks (a FIFO
// put in the file's place meanwhile is refused after it). Returns the
// descriptor, or -1 with `why` (when given) saying why in a few words.
int OpenRegularFile(const std::filesystem::path& path, std::string* why = nullptr);

// Read-only access to one file through small windows read into memory.
//
// The recorder's own viewer maps views of the file; here each window is read
// with pread() into a buffer that the FileView owns. A file that shrinks
// while it is open, or a card that is pulled, then gives a short read and a
// clean failure instead of a SIGBUS on a mapped page. Windows are not aligned
// to a granularity: without a mapping there is nothing to align.
//
// Scans ask for one small header after another, so small windows are served
// from a read-ahead block (one read of kBlockSize bytes serves thousands of
// 8-byte headers). The block serves only a scan moving on through the file:
// a window at or before the offset of the window asked for last reads the
// file again, so a later question about bytes already seen never gets bytes
// that the file may no longer hold.
class FileView {
 public:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  FileView() = default;
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;
  ~FileView();

  // Opens a regular file for reading (OpenRegularFile) and takes its size.
  // False when the file cannot be opened or is not a regular file; `why`,
  // when given, then says why.
  bool Open(const std::filesystem::path& path, std::string* why = nullptr);
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
  // Serves a window of at most kBlockSize bytes from the block, reading the
  // block anew at `offset` when the window is not in it or the scan went
  // back.
  bool MapFromBlock(std::uint64_t offset, std::uint64_t length,
                    std::span<const std::uint8_t>* window);

  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::vector<std::uint8_t> buffer_;  // the last window bigger than the block
  std::vector<std::uint8_t> block_;
  std::uint64_t blockOffset_ = 0;
  std::uint64_t blockLength_ = 0;  // 0: no block
  std::uint64_t lastOffset_ = 0;   // where the last window asked for began
};
