#include "player/picture_cache.h"

#include "player/picture_memory.h"

#include <algorithm>

std::size_t PictureCache::SizeOf(GstSample* sample) {
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  return buffer != nullptr ? CopiedBytes(gst_buffer_get_size(buffer)) : 0;
}

void PictureCache::Put(std::int64_t picture, GstSample* sample, std::int64_t shown) {
  const std::size_t size = SizeOf(sample);
  {
    std::lock_guard lock(mutex_);
    if (size > bound_ || pictures_.contains(picture)) return;
  }
  // A copy of the pixels, made outside the lock: a pipeline's own pictures go
  // back to its pool when dropped, and the pool would keep every one it ever
  // lent out.
  GstBuffer* pixels = CopyPixels(gst_sample_get_buffer(sample));
  GstSample* copy =
      gst_sample_new(pixels, gst_sample_get_caps(sample), gst_sample_get_segment(sample), nullptr);
  gst_buffer_unref(pixels);
  std::lock_guard lock(mutex_);
  if (pictures_.contains(picture)) {
    gst_sample_unref(copy);
    return;
  }
  while (bytes_ + size > bound_) DropFarthest(shown);
  pictures_.emplace(picture, copy);
  bytes_ += size;
  peak_ = std::max(peak_, bytes_);
}

void PictureCache::DropFarthest(std::int64_t shown) {
  // The farthest is at one end of the ordered map.
  auto first = pictures_.begin();
  auto last = std::prev(pictures_.end());
  auto victim = shown - first->first >= last->first - shown ? first : last;
  bytes_ -= SizeOf(victim->second);
  gst_sample_unref(victim->second);
  pictures_.erase(victim);
}

GstSample* PictureCache::Take(std::int64_t picture) const {
  std::lock_guard lock(mutex_);
  const auto found = pictures_.find(picture);
  return found != pictures_.end() ? gst_sample_ref(found->second) : nullptr;
}

bool PictureCache::Holds(std::int64_t picture) const {
  std::lock_guard lock(mutex_);
  return pictures_.contains(picture);
}

bool PictureCache::HoldsAll(std::int64_t first, std::int64_t last) const {
  std::lock_guard lock(mutex_);
  for (std::int64_t picture = first; picture <= last; ++picture) {
    if (!pictures_.contains(picture)) return false;
  }
  return true;
}

std::int64_t PictureCache::HalfStretch(std::size_t pictureBytes) const {
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(bound_ / CopiedBytes(pictureBytes) / 2));
}

void PictureCache::DropAfter(std::int64_t picture) {
  std::lock_guard lock(mutex_);
  for (auto it = pictures_.upper_bound(picture); it != pictures_.end(); it = pictures_.erase(it)) {
    bytes_ -= SizeOf(it->second);
    gst_sample_unref(it->second);
  }
}

void PictureCache::Clear() {
  std::lock_guard lock(mutex_);
  for (auto& [picture, sample] : pictures_) gst_sample_unref(sample);
  pictures_.clear();
  bytes_ = 0;
}

std::size_t PictureCache::Bytes() const {
  std::lock_guard lock(mutex_);
  return bytes_;
}

std::size_t PictureCache::PeakBytes() const {
  std::lock_guard lock(mutex_);
  return peak_;
}
