#include "player/reverse_player.h"

#include <algorithm>
#include <cmath>

#include "base/app_message.h"
#include "player/engine_messages.h"
#include "player/group_decoder.h"
#include "player/picture_cache.h"
#include "player/picture_prefetch.h"
#include "player/player.h"

namespace {

// Pictures a picture may come late and the pace still catch up.
constexpr int kCatchUp = 4;

}  // namespace

ReversePlayer::ReversePlayer(CPlayer& player, const PictureTable& table, PictureCache& cache,
                             GroupDecoder& decoder, PicturePrefetch& prefetch, QObject* target,
                             std::int64_t from, double speed)
    : player_(player),
      table_(table),
      cache_(cache),
      decoder_(decoder),
      prefetch_(prefetch),
      target_(target),
      lowest_(table.keys.empty() ? 0 : table.keys.front()),
      decodedDown_(from + 1),
      wanted_(from),
      speed_(speed) {
  player_.presenter().HoldPipelinePictures(true);
  // Pictures after the first one shown are not shown again.
  cache_.DropAfter(from);
  // The picture on screen is the first one shown: at once, not decoded again.
  if (GstSample* current = player_.presenter().TakeNewest()) {
    const std::optional<std::int64_t> stepped = player_.SteppedTime();
    const std::optional<std::int64_t> time = stepped ? stepped : StreamTimeOf(current);
    if (time && table_.PictureAt(*time) == from) cache_.Put(from, current, from);
    gst_sample_unref(current);
  }
  decoding_ = std::thread([this, from] { DecodeBackwards(from); });
  showing_ = std::thread([this, from] { ShowBackwards(from); });
}

ReversePlayer::~ReversePlayer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  decoding_.join();
  showing_.join();
  player_.presenter().HoldPipelinePictures(false);
}

void ReversePlayer::SetSpeed(double speed) { speed_ = speed; }

void ReversePlayer::DecodeBackwards(std::int64_t from) {
  // The pictures decoded while the player was paused are not decoded again.
  prefetch_.Wait();
  const std::size_t pictureBytes = decoder_.PictureBytes();
  if (pictureBytes == 0) {
    {
      std::lock_guard lock(mutex_);
      failed_ = !stop_;
    }
    changed_.notify_all();
    return;
  }
  // Half the cache for the stretch shown, half for the one decoded ahead:
  // a whole group each where it fits.
  const std::int64_t stretch = cache_.HalfStretch(pictureBytes);
  const std::int64_t half = table_.LengthNs() / 2;
  std::int64_t last = from;
  // The top of the lowest stretch decoded: the next one waits until that
  // one is being shown.
  std::int64_t lowestTop = from;
  while (!stop_ && last >= lowest_) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || wanted_ <= lowestTop; });
    }
    if (stop_) return;
    // Pictures the showing has passed meanwhile are not decoded.
    last = std::min(last, wanted_.load());
    const std::int64_t first = std::max(table_.KeyAtOrBefore(last), last - stretch + 1);
    const auto decode = [&] {
      return decoder_.Decode(
                 table_.StartNs(first) + half, table_.StartNs(last + 1),
                 [&](GstSample* sample) {
                   if (const std::optional<std::int64_t> time = StreamTimeOf(sample)) {
                     cache_.Put(table_.PictureAt(*time), sample, wanted_);
                     changed_.notify_all();
                   }
                 },
                 &stop_) &&
             cache_.Holds(last);
    };
    // A stretch that ends without its last picture is decoded once more (the
    // second pipeline now and then ends a stretch early right after another);
    // without it again it failed (the file was cut).
    const bool decoded = cache_.HoldsAll(first, last) || decode() || (!stop_ && decode());
    {
      std::lock_guard lock(mutex_);
      if (decoded) {
        decodedDown_ = first;
      } else {
        failed_ = !stop_;
      }
    }
    changed_.notify_all();
    if (!decoded) return;
    lowestTop = last;
    last = first - 1;
  }
}

bool ReversePlayer::WaitForPicture(std::int64_t picture) {
  std::unique_lock lock(mutex_);
  changed_.wait(
      lock, [&] { return stop_ || failed_ || decodedDown_ <= picture || cache_.Holds(picture); });
  return !stop_;
}

void ReversePlayer::ShowBackwards(std::int64_t from) {
  const auto length = std::chrono::nanoseconds(table_.LengthNs());
  std::int64_t want = from;
  bool first = true;
  Clock::time_point due;
  Clock::duration interval{};
  while (WaitForPicture(want)) {
    GstSample* sample = cache_.Take(want);
    if (sample == nullptr) {
      bool failed = false;
      {
        std::lock_guard lock(mutex_);
        failed = failed_;
      }
      // Decoded but not kept (a cache too small for it): the one before.
      if (failed || want <= lowest_) {
        Finish(failed);
        return;
      }
      wanted_ = --want;
      changed_.notify_all();
      continue;
    }
    // The first picture at once. A picture a little late is shown at once
    // and the pace catches up; after a longer stall it starts again from it.
    const Clock::time_point now = Clock::now();
    if (first || now > due + kCatchUp * interval) due = now;
    {
      std::unique_lock lock(mutex_);
      if (changed_.wait_until(lock, due, [&] { return stop_.load(); })) {
        gst_sample_unref(sample);
        return;
      }
    }
    const std::int64_t start = table_.StartNs(want);
    player_.ShowStepped(sample, start, start + table_.LengthNs() / 2);
    gst_sample_unref(sample);
    first = false;
    ++shown_;
    cache_.DropAfter(want);
    if (want <= lowest_) {
      Finish(false);
      return;
    }
    const double speed = speed_;
    const std::int64_t step = speed >= 1.0 ? std::llround(speed) : 1;
    interval =
        std::chrono::duration_cast<Clock::duration>(length * (static_cast<double>(step) / speed));
    due += interval;
    want = std::max(want - step, lowest_);
    {
      std::lock_guard lock(mutex_);
      wanted_ = want;
    }
    changed_.notify_all();
  }
}

void ReversePlayer::Finish(bool failed) {
  if (target_ != nullptr) PostAppMessage(target_, WM_MEDIA_REVERSE_STOPPED, failed ? 1 : 0);
}
