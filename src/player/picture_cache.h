#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <map>
#include <mutex>

// Decoded pictures of the open movie kept for stepping backwards, by their
// number in presentation order, within a bound on the bytes they hold. When
// a new picture would pass the bound, the pictures farthest from the one
// shown go first.
class PictureCache {
 public:
  explicit PictureCache(std::size_t boundBytes) : bound_(boundBytes) {}
  ~PictureCache() { Clear(); }
  PictureCache(const PictureCache&) = delete;
  PictureCache& operator=(const PictureCache&) = delete;

  // Keeps a copy of the pixels of `sample` as picture `picture` while picture
  // `shown` is on screen. A picture that does not fit even alone is not kept.
  void Put(std::int64_t picture, GstSample* sample, std::int64_t shown);
  // A new reference to picture `picture`, or null when it is not kept.
  GstSample* Take(std::int64_t picture) const;
  bool Holds(std::int64_t picture) const;
  // True when every picture from `first` to `last` is kept.
  bool HoldsAll(std::int64_t first, std::int64_t last) const;
  // The pictures of `pictureBytes` each that half the bound holds (at least
  // one): a stretch decoded ahead while the one before it is shown.
  std::int64_t HalfStretch(std::size_t pictureBytes) const;
  // Lets go of the pictures after `picture` (shown while playing backwards).
  void DropAfter(std::int64_t picture);
  void Clear();

  std::size_t Bound() const { return bound_; }
  std::size_t Bytes() const;
  // The most bytes held at any time since the cache was made.
  std::size_t PeakBytes() const;

 private:
  static std::size_t SizeOf(GstSample* sample);
  void DropFarthest(std::int64_t shown);

  const std::size_t bound_;
  mutable std::mutex mutex_;
  std::map<std::int64_t, GstSample*> pictures_;
  std::size_t bytes_ = 0;
  std::size_t peak_ = 0;
};
