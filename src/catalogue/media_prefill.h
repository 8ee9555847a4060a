#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

// Bytes copied from one file into another at a given place, on a thread of
// their own, while the caller works out what goes around them: the disk is
// told to write each block at once, so that the flush at the end finds
// little left to write. Stops when `running` (if given) is cleared or when
// it is destroyed unfinished.
class MediaPrefill {
 public:
  MediaPrefill(int from, std::uint64_t offset, std::uint64_t length, int to, std::uint64_t at,
               const std::atomic<bool>* running);
  MediaPrefill(const MediaPrefill&) = delete;
  MediaPrefill& operator=(const MediaPrefill&) = delete;

  // Waits for the copy; false with the reason when it failed or stopped.
  bool Finish(std::string& why);

 private:
  bool Copy(const std::stop_token& stop, int from, std::uint64_t offset, std::uint64_t length,
            int to, std::uint64_t at);

  const std::atomic<bool>* running_;
  bool copied_ = false;
  std::string why_;
  std::jthread thread_;  // last: started once the rest is there
};
