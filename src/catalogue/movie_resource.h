#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "container/message_sink.h"

// The source watcher: a worker thread checks every 100 ms whether the
// watched path still exists; when it has vanished (a memory card pulled, a
// folder removed) it sets the changed flag, empties the path and posts
// kSourceLost to its owner, once.
class CMovieResource {
 public:
  static constexpr int kSourceLost = 0x84B1;

  CMovieResource() = default;
  CMovieResource(const CMovieResource&) = delete;
  CMovieResource& operator=(const CMovieResource&) = delete;
  ~CMovieResource() { Stop(); }

  // Starts the worker; `owner` must outlive it.
  void Start(MessageSink* owner);
  // Sets the path to watch (the owner does so when it opens a source); an
  // empty path watches nothing.
  void SetPath(std::string path);
  std::string path() const;
  bool changed() const;
  // Stops the worker and waits for it.
  void Stop();

 private:
  void Run();

  MessageSink* owner_ = nullptr;
  std::thread worker_;
  mutable std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool changed_ = false;
  std::string path_;
};
