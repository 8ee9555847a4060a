#include "catalogue/media_prefill.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "container/posix_io.h"

namespace {

constexpr std::size_t kCopyBlock = 4 << 20;

// Tells the disk to write these bytes now. Only a hint: where the file
// system takes none, the flush at the end writes them all.
void Flushing(int fd, std::uint64_t at, std::size_t length) {
  sync_file_range(fd, static_cast<off_t>(at), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
}

}  // namespace

MediaPrefill::MediaPrefill(int from, std::uint64_t offset, std::uint64_t length, int to,
                           std::uint64_t at, const std::atomic<bool>* running)
    : running_(running), thread_([this, from, offset, length, to, at](const std::stop_token& stop) {
        copied_ = Copy(stop, from, offset, length, to, at);
      }) {}

bool MediaPrefill::Finish(std::string& why) {
  thread_.join();
  if (!copied_) why = why_;
  return copied_;
}

bool MediaPrefill::Copy(const std::stop_token& stop, int from, std::uint64_t offset,
                        std::uint64_t length, int to, std::uint64_t at) {
  // In the kernel (one copy of the bytes instead of two) while the file
  // systems let it; else read and written.
  bool inKernel = true;
  std::vector<std::uint8_t> block;
  for (std::uint64_t done = 0; done < length;) {
    if (stop.stop_requested() || (running_ != nullptr && !running_->load())) {
      why_ = "cancelled";
      return false;
    }
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kCopyBlock));
    if (inKernel) {
      auto in = static_cast<loff_t>(offset + done);
      auto out = static_cast<loff_t>(at + done);
      const ssize_t moved =
          RetryInterrupted([&] { return copy_file_range(from, &in, to, &out, want, 0); });
      const bool refused = moved < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                         errno == EOPNOTSUPP);
      if (moved < 0 && !refused) {
        why_ = std::string("cannot write the output: ") + std::strerror(errno);
        return false;
      }
      inKernel = !refused;
      if (moved == 0) {
        why_ = "cannot read the damaged recording's media";
        return false;
      }
      if (moved > 0) {
        Flushing(to, at + done, static_cast<std::size_t>(moved));
        done += static_cast<std::uint64_t>(moved);
        continue;
      }
    }
    block.resize(want);
    if (ReadAt(from, block, offset + done) != static_cast<ssize_t>(want)) {
      why_ = "cannot read the damaged recording's media";
      return false;
    }
    if (!WriteAllAt(to, block, at + done)) {
      why_ = std::string("cannot write the output: ") + std::strerror(errno);
      return false;
    }
    Flushing(to, at + done, want);
    done += want;
  }
  return true;
}
