#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "container/picture_table.h"

class CPlayer;
class GroupDecoder;
class PictureCache;
class PicturePrefetch;
class QObject;

// Plays the open movie backwards while the playing pipeline stays paused (its
// own pictures held back). One thread decodes the movie from the starting
// picture down to the first, a stretch at a time, each stretch once forwards
// from its keyframe into the picture cache, the stretch before decoded while
// the one after is shown. Another shows the pictures from the last to the
// first at the pace of the speed: below x1 each picture stays longer, above
// it only every second or fourth is shown. GetPosition follows the picture
// shown. At the first picture, or when a picture cannot be decoded (after the
// ones it has), it posts WM_MEDIA_REVERSE_STOPPED to `target` (wParam 0 at the
// start, 1 for the failure) and stops. Made and destroyed on the UI thread;
// destroying it stops both threads, the picture shown staying.
class ReversePlayer {
 public:
  ReversePlayer(CPlayer& player, const PictureTable& table, PictureCache& cache,
                GroupDecoder& decoder, PicturePrefetch& prefetch, QObject* target,
                std::int64_t from, double speed);
  ~ReversePlayer();
  ReversePlayer(const ReversePlayer&) = delete;
  ReversePlayer& operator=(const ReversePlayer&) = delete;

  void SetSpeed(double speed);
  // Pictures shown so far.
  std::int64_t PicturesShown() const { return shown_; }

 private:
  using Clock = std::chrono::steady_clock;

  void DecodeBackwards(std::int64_t from);
  void ShowBackwards(std::int64_t from);
  // Waits until `picture` is decoded (or passed over), the decoding failed
  // or the player stops; false when it stops.
  bool WaitForPicture(std::int64_t picture);
  void Finish(bool failed);

  CPlayer& player_;
  const PictureTable& table_;
  PictureCache& cache_;
  GroupDecoder& decoder_;
  PicturePrefetch& prefetch_;
  QObject* target_;
  const std::int64_t lowest_;  // the first picture that can be decoded

  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<bool> stop_{false};
  bool failed_ = false;                  // guarded by mutex_
  std::int64_t decodedDown_ = 0;         // every picture from here up is decoded; guarded by mutex_
  std::atomic<std::int64_t> wanted_{0};  // the picture to be shown next
  std::atomic<double> speed_{1.0};
  std::atomic<std::int64_t> shown_{0};

  std::thread decoding_;
  std::thread showing_;
};
