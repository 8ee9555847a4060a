#include "player/picture_prefetch.h"

PicturePrefetch::PicturePrefetch()
    : thread_([this](const std::stop_token& stop) { Run(stop); }) {}

PicturePrefetch::~PicturePrefetch() {
  Cancel();
  thread_.request_stop();
}

void PicturePrefetch::Start(Job job, std::chrono::milliseconds delay) {
  {
    std::lock_guard lock(mutex_);
    next_ = std::move(job);
    delay_ = delay;
    hurry_ = false;
    cancel_ = true;
  }
  changed_.notify_all();
}

void PicturePrefetch::Cancel() {
  {
    std::lock_guard lock(mutex_);
    next_ = nullptr;
    cancel_ = true;
  }
  changed_.notify_all();
}

void PicturePrefetch::Wait() {
  std::unique_lock lock(mutex_);
  hurry_ = true;
  changed_.notify_all();
  changed_.wait(lock, [this] { return !busy_ && next_ == nullptr; });
}

void PicturePrefetch::Run(const std::stop_token& stop) {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      if (!changed_.wait(lock, stop, [this] { return next_ != nullptr; })) return;
      job = std::move(next_);
      next_ = nullptr;
      cancel_ = false;
      busy_ = true;
      changed_.wait_for(lock, stop, delay_, [this] { return cancel_ || hurry_; });
    }
    if (!cancel_ && !stop.stop_requested()) job(cancel_);
    {
      std::lock_guard lock(mutex_);
      busy_ = false;
    }
    changed_.notify_all();
  }
}
