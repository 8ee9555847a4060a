#include "catalogue/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <random>

#include "container/posix_io.h"

namespace {

// ".<target name>" + kTempMark + kRandomLength characters of kRandomChars.
constexpr std::string_view kTempMark = ".kestrel-";
constexpr std::size_t kRandomLength = 6;
constexpr std::string_view kRandomChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Keeps the temporary name within the longest name a folder takes.
constexpr std::size_t kMaxNamePart = NAME_MAX - 1 - kTempMark.size() - kRandomLength;
constexpr int kNameAttempts = 100;

std::filesystem::path FolderOf(const std::filesystem::path& target) {
  return target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
}

std::string Reason(std::string_view what, const std::filesystem::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

std::string TempName(const std::string& targetName) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  std::size_t part = std::min(targetName.size(), kMaxNamePart);
  // Cut a long name only between UTF-8 characters.
  while (part < targetName.size() &&
         (static_cast<unsigned char>(targetName[part]) & 0xC0) == 0x80) {
    --part;
  }
  std::string name = "." + targetName.substr(0, part) + std::string(kTempMark);
  std::uniform_int_distribution<std::size_t> pick(0, kRandomChars.size() - 1);
  for (std::size_t i = 0; i < kRandomLength; ++i) name += kRandomChars[pick(generator)];
  return name;
}

bool IsTempName(std::string_view name) {
  if (name.size() < 2 + kTempMark.size() + kRandomLength || name.front() != '.') return false;
  const std::string_view random = name.substr(name.size() - kRandomLength);
  const std::string_view mark =
      name.substr(name.size() - kRandomLength - kTempMark.size(), kTempMark.size());
  return mark == kTempMark && random.find_first_not_of(kRandomChars) == std::string_view::npos;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when `name` in `folder` is still the file open as `fd`.
bool StillNamed(int folder, const char* name, int fd) {
  struct stat opened {
  }, named{};
  return fstat(fd, &opened) == 0 && opened.st_nlink > 0 &&
         fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(opened, named);
}

// Removes the temporary files in `folder` whose writer is gone: a writer
// holds a lock on its file until it is renamed into place or removed.
void RemoveStaleTemps(int folder) {
  const int scan = fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (scan < 0) return;
  DIR* listing = fdopendir(scan);
  if (listing == nullptr) {
    close(scan);
    return;
  }
  while (const dirent* entry = readdir(listing)) {
    if (!IsTempName(entry->d_name)) continue;
    const int fd = RetryInterrupted([&] {
      return openat(folder, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    });
    if (fd < 0) continue;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        StillNamed(folder, entry->d_name, fd)) {
      unlinkat(folder, entry->d_name, 0);
    }
    close(fd);
  }
  closedir(listing);
}

// The temporary names of the OutputFiles being written, for a signal
// handler: a slot is claimed, filled and then published by its folder.
struct PendingSlot {
  std::atomic<bool> claimed{false};
  std::atomic<int> folder{-1};
  std::array<char, NAME_MAX + 1> name{};
};
std::array<PendingSlot, 8> pendingSlots;

// The slot's index, or -1 with more files at once than slots: such a file is
// left to the next writer's clean-up.
int AddPending(int folder, const std::string& name) {
  for (std::size_t i = 0; i < pendingSlots.size(); ++i) {
    PendingSlot& slot = pendingSlots[i];
    if (slot.claimed.exchange(true)) continue;
    std::memcpy(slot.name.data(), name.c_str(), name.size() + 1);
    slot.folder.store(folder);
    return static_cast<int>(i);
  }
  return -1;
}

void DropPending(int index) {
  if (index < 0) return;
  PendingSlot& slot = pendingSlots[static_cast<std::size_t>(index)];
  slot.folder.store(-1);
  slot.claimed.store(false);
}

// Blocks the signals that can be caught while a name is linked and renamed,
// so that no handler runs between the two.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &saved_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace

void RemovePendingOutputFiles() {
  for (PendingSlot& slot : pendingSlots) {
    const int folder = slot.folder.load();
    if (folder >= 0) unlinkat(folder, slot.name.data(), 0);
  }
}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(const std::filesystem::path& target, std::string& why) {
  Discard();
  target_ = target;
  const std::filesystem::path folder = FolderOf(target);
  folder_ = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) {
    why = Reason("cannot create a file in", folder, errno);
    return false;
  }
  RemoveStaleTemps(folder_);
  fd_ =
      RetryInterrupted([&] { return openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666); });
  // Locked like a named one, for the moment it has a name at Commit.
  if (fd_ >= 0 && RetryInterrupted([&] { return flock(fd_, LOCK_EX); }) == 0) return true;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  return CreateNamed(why);
}

bool OutputFile::CreateNamed(std::string& why) {
  const std::string targetName = target_.filename().string();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = TempName(targetName);
    const int fd = RetryInterrupted([&] {
      return openat(folder_, name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW,
                    0666);
    });
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) break;
    // Another writer's clean-up may have found the file before it was
    // locked and removed it: then it is no longer ours to write.
    if (RetryInterrupted([&] { return flock(fd, LOCK_EX); }) != 0 ||
        !StillNamed(folder_, name.c_str(), fd)) {
      close(fd);
      continue;
    }
    fd_ = fd;
    temp_ = name;
    pending_ = AddPending(folder_, temp_);
    return true;
  }
  why = Reason("cannot create a file in", FolderOf(target_), errno);
  Discard();
  return false;
}

bool OutputFile::Write(std::string_view bytes, std::string& why) {
  if (WriteAll(fd_, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))) {
    return true;
  }
  why = Reason("cannot write", target_, errno);
  return false;
}

bool OutputFile::Commit(std::string& why) {
  if (RetryInterrupted([&] { return fsync(fd_); }) != 0) {
    why = Reason("cannot write", target_, errno);
    Discard();
    return false;
  }
  const std::string targetName = target_.filename().string();
  bool placed = false;
  {
    const SignalsHeld held;
    if (temp_.empty() && !LinkUnnamed(why)) {
      Discard();
      return false;
    }
    placed = RetryInterrupted([&] {
               return renameat(folder_, temp_.c_str(), folder_, targetName.c_str());
             }) == 0;
    if (placed) {
      temp_.clear();
      DropPending(pending_);
      pending_ = -1;
    }
  }
  if (!placed) {
    why = Reason("cannot write", target_, errno);
    Discard();
    return false;
  }
  RetryInterrupted([&] { return fsync(folder_); });
  Discard();
  return true;
}

// Gives the unnamed file a temporary name in the folder, to be renamed over
// the target (a link cannot replace a file that is there).
bool OutputFile::LinkUnnamed(std::string& why) {
  const std::string targetName = target_.filename().string();
  const std::string byProc = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = TempName(targetName);
    // Linking the descriptor itself takes a privilege; its /proc entry does not.
    int linked = linkat(fd_, "", folder_, name.c_str(), AT_EMPTY_PATH);
    if (linked != 0 && errno != EEXIST) {
      linked = linkat(AT_FDCWD, byProc.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW);
    }
    if (linked == 0) {
      temp_ = name;
      return true;
    }
    if (errno != EEXIST) break;
  }
  why = Reason("cannot write", target_, errno);
  return false;
}

void OutputFile::Discard() {
  if (!temp_.empty()) unlinkat(folder_, temp_.c_str(), 0);
  temp_.clear();
  DropPending(pending_);
  pending_ = -1;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (folder_ >= 0) close(folder_);
  folder_ = -1;
}
