#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "map/tile_source.h"

// The reachability watcher of the map service: once a second, on a thread
// of its own, a TCP connect to the tile server (through the system's proxy
// when one is set) or a read test of the local tile source. The reachable
// flag is read by the page's ConnectTest. Stopped and joined by its
// destructor within the connect's time-out.
class CInetConnectionAsync {
 public:
  static constexpr int kPeriodMs = 1000;
  static constexpr int kConnectTimeoutMs = 800;

  // Starts the checker thread; `changed` runs on it whenever the flag
  // changes.
  CInetConnectionAsync(const TileSource& source, std::function<void(int)> changed);
  ~CInetConnectionAsync();
  CInetConnectionAsync(const CInetConnectionAsync&) = delete;
  CInetConnectionAsync& operator=(const CInetConnectionAsync&) = delete;

  int reachable() const { return reachable_.load(); }
  // Watches `source` from now on; it is tested at once.
  void SetSource(const TileSource& source);

  // One test of `source`, as the checker runs it.
  static bool Probe(const TileSource& source);

 private:
  void CheckerLoop();

  std::thread checkerThread_;
  // The update check's thread and its flags belong to the update check.
  std::atomic<int> checkerStop_{0};
  std::atomic<int> reachable_{0};
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  // Guarded by wakeMutex_.
  TileSource source_;
  bool sourceChanged_ = false;
  std::function<void(int)> changed_;
};
