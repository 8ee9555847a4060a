#include "catalogue/movie_resource.h"

#include <chrono>
#include <filesystem>
#include <system_error>

void CMovieResource::Start(MessageSink* owner) {
  Stop();
  owner_ = owner;
  stop_ = false;
  worker_ = std::thread(&CMovieResource::Run, this);
}

void CMovieResource::SetPath(std::string path) {
  std::lock_guard<std::mutex> guard(lock_);
  path_ = std::move(path);
  changed_ = false;
}

std::string CMovieResource::path() const {
  std::lock_guard<std::mutex> guard(lock_);
  return path_;
}

bool CMovieResource::changed() const {
  std::lock_guard<std::mutex> guard(lock_);
  return changed_;
}

void CMovieResource::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void CMovieResource::Run() {
  std::unique_lock<std::mutex> guard(lock_);
  while (!wake_.wait_for(guard, std::chrono::milliseconds(100), [this] { return stop_; })) {
    if (path_.empty()) continue;
    const std::string watched = path_;
    guard.unlock();
    std::error_code error;
    const bool exists = std::filesystem::exists(watched, error);
    guard.lock();
    // A path that cannot be examined any more counts as gone. The owner may
    // have chosen another source meanwhile.
    if (exists || stop_ || path_ != watched) continue;
    changed_ = true;
    path_.clear();
    guard.unlock();
    owner_->Post(kSourceLost, 0, 0);
    guard.lock();
  }
}
