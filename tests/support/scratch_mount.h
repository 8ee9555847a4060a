#pragma once

#include <filesystem>
#include <string>

#include "temp_dir.h"

// A small file system of its own (tmpfs) mounted on a fresh folder, for
// tests of a second file system, a full disk or a read-only medium. Mounting
// needs the privilege to mount; without it ok() is false and the test skips
// the case.
class ScratchMount {
 public:
  explicit ScratchMount(std::uint64_t bytes);
  ~ScratchMount();
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool ok() const { return mounted_; }
  const std::string& error() const { return error_; }
  const std::filesystem::path& path() const { return dir_.path(); }
  // Mounts it again read-only (every write then fails with EROFS, root's too).
  bool MakeReadOnly();

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string error_;
};
