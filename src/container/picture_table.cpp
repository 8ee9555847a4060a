#include "container/picture_table.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "container/big_endian.h"
#include "container/movie_file.h"

namespace {

// The content of the first atom of a list; empty without one.
const std::vector<std::uint8_t>& FirstContent(const MovieFile& movie, MovieFile::List list) {
  static const std::vector<std::uint8_t> kNone;
  const auto& nodes = movie.list(list);
  return nodes.empty() ? kNone : nodes.front()->data;
}

}  // namespace

std::int64_t PictureTable::StartNs(std::int64_t picture) const {
  // Rounded down as GStreamer rounds the sample times; in two parts, as
  // units x 1e9 would not fit in 64 bits.
  constexpr std::int64_t kSecond = 1000000000;
  const std::int64_t units = picture * delta;
  return units / timeScale * kSecond + units % timeScale * kSecond / timeScale;
}

std::int64_t PictureTable::PictureAt(std::int64_t ns) const {
  const long double pictures =
      static_cast<long double>(ns) * timeScale / (static_cast<long double>(delta) * 1e9L);
  return std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(pictures + 0.01L)));
}

std::int64_t PictureTable::KeyAtOrBefore(std::int64_t picture) const {
  if (keys.empty()) return picture;
  const auto after = std::upper_bound(keys.begin(), keys.end(), picture);
  return after == keys.begin() ? 0 : *(after - 1);
}

std::optional<PictureTable> ReadPictureTable(const MovieFile& movie) {
  PictureTable table;
  const auto& stts = FirstContent(movie, MovieFile::kStts);
  if (stts.size() < 16) return std::nullopt;
  const std::uint32_t entries = ReadBigEndian32(stts.data() + 4);
  for (std::uint32_t i = 0; i < entries && 8 + 8 * (i + 1) <= stts.size(); ++i) {
    table.count += ReadBigEndian32(stts.data() + 8 + 8 * i);
  }
  table.delta = ReadBigEndian32(stts.data() + 12);

  const auto& mdhd = FirstContent(movie, MovieFile::kMdhd);
  const std::size_t scaleAt = !mdhd.empty() && mdhd[0] == 1 ? 20 : 12;
  if (mdhd.size() < scaleAt + 4) return std::nullopt;
  table.timeScale = ReadBigEndian32(mdhd.data() + scaleAt);
  if (table.count <= 0 || table.delta <= 0 || table.timeScale <= 0) return std::nullopt;
  // Times up to the end must fit in nanoseconds: no more than 1e9 seconds.
  constexpr std::int64_t kLongest = 1000000000;
  if (table.count > std::numeric_limits<std::int64_t>::max() / table.delta ||
      table.count * table.delta / table.timeScale > kLongest) {
    return std::nullopt;
  }

  const auto& stss = FirstContent(movie, MovieFile::kStss);
  if (stss.size() >= 8) {
    const std::uint32_t keys = ReadBigEndian32(stss.data() + 4);
    for (std::uint32_t i = 0; i < keys && 8 + 4 * (i + 1) <= stss.size(); ++i) {
      const std::int64_t sample = ReadBigEndian32(stss.data() + 8 + 4 * i);
      if (sample >= 1 && sample <= table.count) table.keys.push_back(sample - 1);
    }
    std::sort(table.keys.begin(), table.keys.end());
  }
  return table;
}
