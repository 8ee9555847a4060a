#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class MovieFile;

// The pictures of a recording's first track as its sample tables give them:
// how many, how long each lasts, and which are keyframes, all in the order
// the pictures are shown. The recorder writes pictures of one length, so
// picture n is shown from n x its length. With B-frames the samples are
// stored in decoding order and the composition offsets ('ctts') give the
// order they are shown in.
struct PictureTable {
  std::int64_t count = 0;      // pictures (the sample counts of the 'stts')
  std::int64_t delta = 0;      // length of a picture in units of the time scale
  std::int64_t timeScale = 0;  // units a second (of the first 'mdhd')
  // 0-based numbers of the keyframes among the pictures as shown, ascending.
  std::vector<std::int64_t> keys;
  // The 0-based sample (in decoding order) of each picture as shown; empty
  // when the two orders are the same.
  std::vector<std::int64_t> samples;

  // The sample that holds picture `picture`.
  std::int64_t SampleOf(std::int64_t picture) const {
    return samples.empty() ? picture : samples[static_cast<std::size_t>(picture)];
  }

  // Start of picture `picture` in nanoseconds.
  std::int64_t StartNs(std::int64_t picture) const;
  // Length of a picture in nanoseconds.
  std::int64_t LengthNs() const { return StartNs(1); }
  // The picture shown at `ns` (a time a little early still counts as that
  // picture, for times rounded down on the way).
  std::int64_t PictureAt(std::int64_t ns) const;
  // The last keyframe at or before `picture`.
  std::int64_t KeyAtOrBefore(std::int64_t picture) const;
};

// Reads the table from the first 'stts', 'mdhd' and 'stss' of `movie`, and
// the 'ctts' beside that 'stts'; nothing when they are missing, short, say
// no pictures or more than 1e9 seconds of them, or when the 'ctts' does not
// give every picture a place of its own. Without an 'stss' every picture is
// a keyframe.
std::optional<PictureTable> ReadPictureTable(const MovieFile& movie);
