#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class MovieFile;

// The pictures of a recording's first track as its sample tables give them:
// how many, how long each lasts, and which are keyframes. The recorder
// writes pictures of one length and closed groups of pictures, so picture n
// is shown from n x its length and each group starts at a keyframe.
struct PictureTable {
  std::int64_t count = 0;          // pictures (the sample counts of the 'stts')
  std::int64_t delta = 0;          // length of a picture in units of the time scale
  std::int64_t timeScale = 0;      // units a second (of the first 'mdhd')
  std::vector<std::int64_t> keys;  // 0-based numbers of the keyframes, ascending

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

// Reads the table from the first 'stts', 'mdhd' and 'stss' of `movie`;
// nothing when they are missing, short, say no pictures or more than
// 1e9 seconds of them. Without an
// 'stss' every picture is a keyframe.
std::optional<PictureTable> ReadPictureTable(const MovieFile& movie);
