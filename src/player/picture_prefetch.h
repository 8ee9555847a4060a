#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

// Runs one job at a time on a thread of its own: the decoding of the
// pictures before the one paused on, so that a step back or playing
// backwards from it starts at once. A job starts after its delay, unless
// somebody waits for it; a new job cancels the one running, which is told
// through `cancel` that it is no longer wanted.
class PicturePrefetch {
 public:
  using Job = std::function<void(const std::atomic<bool>& cancel)>;

  PicturePrefetch();
  ~PicturePrefetch();
  PicturePrefetch(const PicturePrefetch&) = delete;
  PicturePrefetch& operator=(const PicturePrefetch&) = delete;

  void Start(Job job, std::chrono::milliseconds delay);
  // Cancels the job running and the one waiting.
  void Cancel();
  // Starts the job waiting at once, and waits until none runs or waits.
  void Wait();

 private:
  void Run(const std::stop_token& stop);

  std::mutex mutex_;
  std::condition_variable_any changed_;
  Job next_;                         // guarded by mutex_
  std::chrono::milliseconds delay_{0};  // guarded by mutex_
  bool hurry_ = false;               // guarded by mutex_
  bool busy_ = false;                // guarded by mutex_
  std::atomic<bool> cancel_{false};
  std::jthread thread_;  // last: started once the rest is there
};
