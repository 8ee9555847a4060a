#include "player/picture_stepper.h"

#include <algorithm>

#include "container/movie_file.h"
#include "player/freed_memory.h"
#include "player/picture_memory.h"
#include "player/player.h"

std::unique_ptr<PictureStepper> PictureStepper::Create(CPlayer& player,
                                                       const std::filesystem::path& movie,
                                                       std::size_t cacheBytes) {
  const std::unique_ptr<MovieFile> file = MovieFile::Open(movie, false);
  if (file == nullptr) return nullptr;
  std::optional<PictureTable> table = ReadPictureTable(*file);
  if (!table) return nullptr;
  return std::unique_ptr<PictureStepper>(
      new PictureStepper(player, movie, std::move(*table), cacheBytes));
}

PictureStepper::PictureStepper(CPlayer& player, const std::filesystem::path& movie,
                               PictureTable table, std::size_t cacheBytes)
    : player_(player), table_(std::move(table)), cache_(cacheBytes), decoder_(movie.string()) {
  // The second pipeline starts while the first steps are taken.
  decoder_.Prepare();
}

void PictureStepper::ReleasePictures() {
  prefetch_.Cancel();
  cache_.Clear();
  ReturnFreedMemory();
}

void PictureStepper::PrefetchBefore(std::int64_t picture, std::chrono::milliseconds delay) {
  const std::int64_t last = picture - 1;
  if (last < 0 || last >= table_.count || cache_.Holds(last)) return;
  prefetch_.Start([this, last](const std::atomic<bool>& cancel) {
    // As many pictures as half the cache holds: the rest is for the steps
    // and the stretches of reverse play.
    const std::size_t pictureBytes = decoder_.PictureBytes();
    if (pictureBytes == 0 || cancel) return;
    const std::int64_t first =
        std::max(table_.KeyAtOrBefore(last), last - cache_.HalfStretch(pictureBytes) + 1);
    DecodeStretch(first, last, last, &cancel);
  }, delay);
}

bool PictureStepper::Step(int direction) {
  GstSample* current = player_.presenter().TakeNewest();
  if (current == nullptr) return false;
  const std::optional<std::int64_t> stepped = player_.SteppedTime();
  const std::optional<std::int64_t> time = stepped ? stepped : StreamTimeOf(current);
  if (!time) {
    gst_sample_unref(current);
    return false;
  }
  const std::int64_t shown = table_.PictureAt(*time);
  // Without a stepped picture the pipeline's own is on screen.
  if (!stepped) pipelinePicture_ = shown;
  const std::int64_t target = shown + direction;
  if (target < 0 || target >= table_.count) {
    gst_sample_unref(current);
    return false;
  }
  const std::size_t shownBytes = gst_buffer_get_size(gst_sample_get_buffer(current));
  cache_.Put(shown, current, target);
  gst_sample_unref(current);
  // The pictures before are on their way: sooner than decoding them again.
  if (direction < 0) prefetch_.Wait();

  if (GstSample* cached = cache_.Take(target)) {
    Show(cached, target);
    gst_sample_unref(cached);
    return true;
  }
  if (direction > 0 && pipelinePicture_ == shown && StepPipelineTo(target)) return true;
  if (direction < 0 && Refill(target, shownBytes)) return true;
  return SeekTo(target);
}

void PictureStepper::Show(GstSample* sample, std::int64_t picture) {
  player_.ShowStepped(sample, table_.StartNs(picture),
                      table_.StartNs(picture) + table_.LengthNs() / 2);
}

bool PictureStepper::StepPipelineTo(std::int64_t picture) {
  GstSample* next = player_.StepPipeline();
  if (next == nullptr) {
    pipelinePicture_ = -1;
    return false;
  }
  const std::optional<std::int64_t> time = StreamTimeOf(next);
  pipelinePicture_ = time ? table_.PictureAt(*time) : -1;
  const bool arrived = pipelinePicture_ == picture;
  if (arrived) {
    cache_.Put(picture, next, picture);
    Show(next, picture);
  }
  gst_sample_unref(next);
  return arrived;
}

bool PictureStepper::Refill(std::int64_t picture, std::size_t shownBytes) {
  // From the keyframe before, as many pictures as the cache holds beside
  // the one shown.
  const std::size_t pictureBytes = CopiedBytes(decoder_.PictureBytes());
  if (pictureBytes == 0) return false;
  const auto room = static_cast<std::int64_t>(
      (cache_.Bound() - std::min(shownBytes, cache_.Bound())) / pictureBytes);
  const std::int64_t first =
      std::max(table_.KeyAtOrBefore(picture), picture - std::max<std::int64_t>(room, 1) + 1);
  ++refills_;
  // The whole stretch is about to be shown: room is made away from its middle.
  GstSample* wanted =
      DecodeStretch(first, picture, (first + picture) / 2) ? cache_.Take(picture) : nullptr;
  if (wanted == nullptr) return false;
  Show(wanted, picture);
  gst_sample_unref(wanted);
  return true;
}

bool PictureStepper::DecodeStretch(std::int64_t first, std::int64_t last, std::int64_t keepNear,
                                   const std::atomic<bool>* cancel) {
  const std::int64_t half = table_.LengthNs() / 2;
  return decoder_.Decode(
      table_.StartNs(first) + half, table_.StartNs(last) + half,
      [&](GstSample* sample) {
        const std::optional<std::int64_t> time = StreamTimeOf(sample);
        if (time && !(cancel != nullptr && *cancel)) {
          cache_.Put(table_.PictureAt(*time), sample, keepNear);
        }
      },
      cancel);
}

bool PictureStepper::SeekTo(std::int64_t picture) {
  const std::int64_t half = table_.LengthNs() / 2;
  if (Failed(player_.SeekPaused((table_.StartNs(picture) + half) / 100))) return false;
  player_.WaitForSeek();
  GstSample* sought = player_.presenter().TakeNewest();
  if (sought == nullptr) return false;
  pipelinePicture_ = picture;
  cache_.Put(picture, sought, picture);
  Show(sought, picture);
  gst_sample_unref(sought);
  return true;
}
