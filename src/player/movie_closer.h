#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "player/picture_stepper.h"
#include "player/player.h"

// Closes movies on a worker thread: stopping a pipeline waits for its
// streaming threads, and the user-interface thread must not wait for that.
// The worker is made on first use and ends with the closer, after it has
// closed everything it was given.
class MovieCloser {
 public:
  MovieCloser() = default;
  ~MovieCloser();
  MovieCloser(const MovieCloser&) = delete;
  MovieCloser& operator=(const MovieCloser&) = delete;

  // Closes `player` (which posts nothing from now on) and drops `stepper`,
  // made over that player, then gives the freed memory back.
  void Close(std::unique_ptr<CPlayer> player, std::unique_ptr<PictureStepper> stepper);
  // True while nothing is waiting to be closed or being closed.
  bool Idle() const;
  // Waits until everything given so far is closed (for shutdown).
  void Drain();

 private:
  struct Movie {
    std::unique_ptr<CPlayer> player;
    std::unique_ptr<PictureStepper> stepper;
  };
  void Run();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Movie> queue_;  // guarded by mutex_
  bool busy_ = false;        // guarded by mutex_
  bool stopping_ = false;    // guarded by mutex_
  std::thread worker_;
};
