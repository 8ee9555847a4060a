#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A new file that appears under its name only when it is complete, and that
// leaves nothing behind when the process ends before that, however it ends.
//
// Where the folder's file system can hold a file without a name (ext4, xfs,
// btrfs, tmpfs), the file is written unnamed and linked into place by Commit:
// it cannot outlive the process. Elsewhere (FAT and exFAT cards) it is
// written under a hidden temporary name in the same folder,
// ".<target name>.kestrel-XXXXXX", locked while it is written; every new
// OutputFile first removes the files of that naming in its folder that
// nobody holds a lock on, left by a writer that was killed. Either way a file
// already at the target stays as it was until the new one is complete,
// flushed to the disk and renamed over it.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates the file for `target` in the target's folder. False with the
  // reason when the folder cannot take a file.
  bool Create(const std::filesystem::path& target, std::string& why);
  int fd() const { return fd_; }
  // Writes all of `bytes`; false with the reason on a write error (a full
  // disk, a file-size limit).
  bool Write(std::string_view bytes, std::string& why);
  // Flushes the file, puts it in place of the target and flushes the folder.
  bool Commit(std::string& why);

 private:
  bool CreateNamed(std::string& why);
  bool LinkUnnamed(std::string& why);
  void Discard();

  int fd_ = -1;
  int folder_ = -1;
  std::filesystem::path target_;
  std::string temp_;  // the temporary name in the folder while it has one
  int pending_ = -1;  // its slot for RemovePendingOutputFiles
};

// Removes the temporary files of the OutputFiles that are being written, so
// that a process stopped by a signal leaves none behind. Only for a signal
// handler that then ends the process: it is async-signal-safe, and the
// OutputFiles cannot be committed after it.
void RemovePendingOutputFiles();
