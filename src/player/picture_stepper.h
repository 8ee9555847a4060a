#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "container/picture_table.h"
#include "player/group_decoder.h"
#include "player/picture_cache.h"
#include "player/picture_prefetch.h"

class CPlayer;

// Steps the paused player to the next or the previous picture of its movie.
// Forwards the pipeline takes a step; backwards the picture comes from a
// cache of decoded pictures, which a second pipeline fills with the
// pictures from the keyframe before when it lacks the one wanted. Made when
// the movie opens, so that the second pipeline is ready by the first step
// back; called on the user-interface thread only.
class PictureStepper {
 public:
  // Null when the movie's sample tables give no pictures.
  static std::unique_ptr<PictureStepper> Create(CPlayer& player, const std::filesystem::path& movie,
                                                std::size_t cacheBytes);

  // Shows the picture after (+1) or before (-1) the one shown. False, with
  // nothing changed, at the ends, without a picture shown, or when the
  // picture cannot be had.
  bool Step(int direction);
  // Frees the cached pictures (the player is going to play); the second
  // pipeline stays ready for the next step or reverse play.
  void ReleasePictures();
  // Decodes, in the background after `delay`, the pictures before `picture`
  // from their keyframe into the cache: the player pauses on it.
  void PrefetchBefore(std::int64_t picture, std::chrono::milliseconds delay);

  const PictureCache& cache() const { return cache_; }
  // What playing backwards shares with the steps: the sample tables, the
  // cache and the second pipeline (used by one of them at a time).
  const PictureTable& table() const { return table_; }
  PictureCache& pictures() { return cache_; }
  GroupDecoder& decoder() { return decoder_; }
  PicturePrefetch& prefetch() { return prefetch_; }
  // Stretches decoded by the second pipeline so far.
  int Refills() const { return refills_; }

 private:
  PictureStepper(CPlayer& player, const std::filesystem::path& movie, PictureTable table,
                 std::size_t cacheBytes);

  void Show(GstSample* sample, std::int64_t picture);
  bool StepPipelineTo(std::int64_t picture);
  bool Refill(std::int64_t picture, std::size_t shownBytes);
  // Decodes pictures `first` to `last` into the cache, which makes room away
  // from `keepNear`; false when the decode failed or was cancelled.
  bool DecodeStretch(std::int64_t first, std::int64_t last, std::int64_t keepNear,
                     const std::atomic<bool>* cancel = nullptr);
  bool SeekTo(std::int64_t picture);

  CPlayer& player_;
  PictureTable table_;
  PictureCache cache_;
  GroupDecoder decoder_;
  // The picture the playing pipeline holds while a cached one is shown; -1
  // when not known.
  std::int64_t pipelinePicture_ = -1;
  int refills_ = 0;
  PicturePrefetch prefetch_;  // last: its job uses the rest
};
