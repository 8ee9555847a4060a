#include "player/movie_closer.h"

#include "player/freed_memory.h"

MovieCloser::~MovieCloser() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void MovieCloser::Close(std::unique_ptr<CPlayer> player, std::unique_ptr<PictureStepper> stepper) {
  if (player == nullptr && stepper == nullptr) return;
  if (player != nullptr) player->Silence();
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({std::move(player), std::move(stepper)});
    if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
  }
  changed_.notify_all();
}

bool MovieCloser::Idle() const {
  std::lock_guard lock(mutex_);
  return queue_.empty() && !busy_;
}

void MovieCloser::Drain() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void MovieCloser::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;
    Movie movie = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    // The stepper refers to its player: it goes first.
    movie.stepper.reset();
    if (movie.player != nullptr) movie.player->Close();
    movie.player.reset();
    ReturnFreedMemory();
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}
