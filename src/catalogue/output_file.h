#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A new file that appears under its name only when it is complete: it is
// written under a temporary name in the same folder, flushed to the disk and
// renamed into place by Commit. Destroyed without Commit, it leaves nothing
// behind, and a file already at the target stays as it was.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates the temporary file next to `target`. False with the reason when
  // the folder cannot take a file.
  bool Create(const std::filesystem::path& target, std::string& why);
  int fd() const { return fd_; }
  // Writes all of `bytes`; false with the reason on a write error (a full disk).
  bool Write(std::string_view bytes, std::string& why);
  // Flushes the file, renames it to the target and flushes the folder.
  bool Commit(std::string& why);

 private:
  void Discard();

  int fd_ = -1;
  std::filesystem::path target_;
  std::string temp_;
};
