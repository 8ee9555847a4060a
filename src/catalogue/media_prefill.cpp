#include "catalogue/media_prefill.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "container/posix_io.h"

namespace {

constexpr std::size_t kCopyBlock = 4 << 20;

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
  std::vector<std::uint8_t> block(
      static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyBlock)));
  for (std::uint64_t done = 0; done < length;) {
    if (stop.stop_requested() || (running_ != nullptr && !running_->load())) {
      why_ = "cancelled";
      return false;
    }
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kCopyBlock));
    const ssize_t got = ReadAt(from, std::span(block.data(), want), offset + done);
    if (got != static_cast<ssize_t>(want)) {
      why_ = "cannot read the damaged recording's media";
      return false;
    }
    if (!WriteAllAt(to, std::span(block.data(), want), at + done)) {
      why_ = std::string("cannot write the output: ") + std::strerror(errno);
      return false;
    }
    // Only a hint: where the file system takes none, the flush writes all.
    sync_file_range(to, static_cast<off_t>(at + done), static_cast<off_t>(want),
                    SYNC_FILE_RANGE_WRITE);
    done += want;
  }
  return true;
}
