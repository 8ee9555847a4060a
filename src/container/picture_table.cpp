#include "container/picture_table.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "container/big_endian.h"
#include "container/movie_file.h"

namespace {

// The content of the first atom of a list; empty without one.
const std::vector<std::uint8_t>& FirstContent(const MovieFile& movie, MovieFile::List list) {
  static const std::vector<std::uint8_t> kNone;
  const auto& nodes = movie.list(list);
  return nodes.empty() ? kNone : nodes.front()->data;
}

// A 'ctts' is read for at most this many pictures: more than 77 hours at
// 60 pictures a second.
constexpr std::int64_t kMostReordered = std::int64_t{1} << 24;

// The node that holds `leaf` among its children, searched from `node` down.
const AtomNode* ParentOf(const AtomNode& node, const AtomNode* leaf) {
  for (const AtomNode& child : node.children) {
    if (&child == leaf) return &node;
    if (const AtomNode* found = ParentOf(child, leaf)) return found;
  }
  return nullptr;
}

// The 'ctts' in the sample table of the first 'stts'; null without one.
const AtomNode* CompositionOffsets(const MovieFile& movie) {
  const auto& stts = movie.list(MovieFile::kStts);
  const AtomNode* stbl = stts.empty() ? nullptr : ParentOf(movie.root, stts.front());
  if (stbl == nullptr) return nullptr;
  for (const AtomNode& child : stbl->children) {
    if (child.Name() == "ctts") return &child;
  }
  return nullptr;
}

// Fills table.samples with the samples in the order they are shown: by
// decoding time plus composition offset, the earlier sample first at equal
// times. False when the offsets are not given for exactly table.count samples.
bool ReadShowingOrder(const std::vector<std::uint8_t>& stts, const std::vector<std::uint8_t>& ctts,
                      PictureTable& table) {
  if (table.count > kMostReordered || ctts.size() < 8) return false;
  std::vector<std::int64_t> shown;
  shown.reserve(static_cast<std::size_t>(table.count));
  std::int64_t time = 0;
  const std::uint32_t timeEntries = ReadBigEndian32(stts.data() + 4);
  for (std::uint32_t i = 0; i < timeEntries && 8 + 8 * (i + 1) <= stts.size(); ++i) {
    const std::uint32_t samples = ReadBigEndian32(stts.data() + 8 + 8 * i);
    const std::uint32_t delta = ReadBigEndian32(stts.data() + 12 + 8 * i);
    for (std::uint32_t k = 0; k < samples; ++k, time += delta) shown.push_back(time);
  }
  std::size_t sample = 0;
  const std::uint32_t offsetEntries = ReadBigEndian32(ctts.data() + 4);
  for (std::uint32_t i = 0; i < offsetEntries && 8 + 8 * (i + 1) <= ctts.size(); ++i) {
    const std::uint32_t samples = ReadBigEndian32(ctts.data() + 8 + 8 * i);
    // Signed: version 1 says so, and version 0 offsets never come near 2^31.
    const auto offset = static_cast<std::int32_t>(ReadBigEndian32(ctts.data() + 12 + 8 * i));
    if (samples > shown.size() - sample) return false;
    for (std::uint32_t k = 0; k < samples; ++k) shown[sample++] += offset;
  }
  if (sample != shown.size()) return false;
  table.samples.resize(shown.size());
  std::iota(table.samples.begin(), table.samples.end(), 0);
  std::stable_sort(table.samples.begin(), table.samples.end(), [&](std::int64_t a, std::int64_t b) {
    return shown[static_cast<std::size_t>(a)] < shown[static_cast<std::size_t>(b)];
  });
  if (std::is_sorted(table.samples.begin(), table.samples.end())) table.samples.clear();
  return true;
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

  const AtomNode* ctts = CompositionOffsets(movie);
  if (ctts != nullptr && !ReadShowingOrder(stts, ctts->data, table)) return std::nullopt;
  // The picture each sample shows.
  std::vector<std::int64_t> pictureOf(table.samples.size());
  for (std::size_t picture = 0; picture < table.samples.size(); ++picture) {
    pictureOf[static_cast<std::size_t>(table.samples[picture])] =
        static_cast<std::int64_t>(picture);
  }

  const auto& stss = FirstContent(movie, MovieFile::kStss);
  if (stss.size() >= 8) {
    const std::uint32_t keys = ReadBigEndian32(stss.data() + 4);
    for (std::uint32_t i = 0; i < keys && 8 + 4 * (i + 1) <= stss.size(); ++i) {
      const std::int64_t sample = ReadBigEndian32(stss.data() + 8 + 4 * i);
      if (sample < 1 || sample > table.count) continue;
      table.keys.push_back(pictureOf.empty() ? sample - 1
                                             : pictureOf[static_cast<std::size_t>(sample - 1)]);
    }
    std::sort(table.keys.begin(), table.keys.end());
  }
  return table;
}
