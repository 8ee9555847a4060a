#include "catalogue/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::filesystem::path FolderOf(const std::filesystem::path& target) {
  return target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(const std::filesystem::path& target, std::string& why) {
  Discard();
  target_ = target;
  temp_ = (FolderOf(target) / std::string(".").append(target.filename().string()).append(".XXXXXX"))
              .string();
  fd_ = mkstemp(temp_.data());
  if (fd_ < 0) {
    why = "cannot create a file in " + FolderOf(target).string() + ": " + std::strerror(errno);
    temp_.clear();
    return false;
  }
  return true;
}

bool OutputFile::Write(std::string_view bytes, std::string& why) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      why = "cannot write " + target_.string() + ": " + std::strerror(written < 0 ? errno : ENOSPC);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool OutputFile::Commit(std::string& why) {
  const bool written = fchmod(fd_, 0644) == 0 && fsync(fd_) == 0;
  const int closed = close(fd_);
  fd_ = -1;
  if (!written || closed != 0 || std::rename(temp_.c_str(), target_.c_str()) != 0) {
    why = "cannot write " + target_.string() + ": " + std::strerror(errno);
    Discard();
    return false;
  }
  temp_.clear();
  const int folder = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

void OutputFile::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}
