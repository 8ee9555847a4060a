#include "catalogue/clip_tables.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::size_t kHeader = 8;  // version and flags, entry count

void AppendWord(AtomBytes& bytes, std::uint32_t value) {
  bytes.resize(bytes.size() + 4);
  WriteWord(bytes, bytes.size() - 4, value);
}

}  // namespace

std::optional<AtomBytes> CutCompositionOffsets(const AtomBytes& ctts, std::uint32_t first,
                                               std::uint32_t last) {
  const std::optional<std::uint32_t> entries = EntryCount(ctts, 8);
  if (!entries || last < first) return std::nullopt;
  AtomBytes cut(ctts.begin(), ctts.begin() + kHeader);
  std::uint32_t runs = 0;
  std::uint64_t sample = 0;  // the first sample of the entry
  for (std::uint32_t e = 0; e < *entries && sample <= last; ++e) {
    const std::uint32_t count = ReadWord(ctts, kHeader + e * 8);
    const std::uint64_t from = std::max<std::uint64_t>(sample, first);
    const std::uint64_t to = std::min<std::uint64_t>(sample + count, std::uint64_t{last} + 1);
    if (from < to) {
      AppendWord(cut, static_cast<std::uint32_t>(to - from));
      AppendWord(cut, ReadWord(ctts, kHeader + e * 8 + 4));
      ++runs;
    }
    sample += count;
  }
  if (sample <= last) return std::nullopt;
  WriteWord(cut, 4, runs);
  return cut;
}

std::optional<AtomBytes> CutSyncSamples(const AtomBytes& stss, std::uint32_t first,
                                        std::uint32_t last) {
  const std::optional<std::uint32_t> entries = EntryCount(stss, 4);
  if (!entries || last < first) return std::nullopt;
  AtomBytes cut(stss.begin(), stss.begin() + kHeader);
  std::uint32_t kept = 0;
  for (std::uint32_t e = 0; e < *entries; ++e) {
    const std::uint32_t number = ReadWord(stss, kHeader + e * 4);  // 1-based
    if (number < std::uint64_t{first} + 1 || number > std::uint64_t{last} + 1) continue;
    AppendWord(cut, number - first);
    ++kept;
  }
  WriteWord(cut, 4, kept);
  return cut;
}

std::optional<AtomBytes> CutSampleFlags(const AtomBytes& sdtp, std::uint32_t first,
                                        std::uint32_t last) {
  if (sdtp.size() < 4 || last < first || sdtp.size() - 4 <= last) return std::nullopt;
  AtomBytes cut(sdtp.begin(), sdtp.begin() + 4);
  cut.insert(cut.end(), sdtp.begin() + 4 + first, sdtp.begin() + 4 + last + 1);
  return cut;
}

std::optional<AtomBytes> SyncSamplesShownBefore(const AtomBytes& stss, const AtomBytes& stts,
                                                const AtomBytes* ctts, std::uint64_t limit) {
  const std::optional<std::uint32_t> syncs = EntryCount(stss, 4);
  const std::optional<std::uint32_t> times = EntryCount(stts, 8);
  const std::optional<std::uint32_t> offsets = ctts ? EntryCount(*ctts, 8) : std::uint32_t{0};
  if (!syncs || !times || !offsets) return std::nullopt;
  // The time each sample is shown at; a track of more than 2^24 samples
  // (over 77 hours of pictures) is not cut.
  std::vector<std::int64_t> shown;
  std::int64_t time = 0;
  for (std::uint32_t e = 0; e < *times; ++e) {
    const std::uint32_t count = ReadWord(stts, kHeader + e * 8);
    const std::uint32_t delta = ReadWord(stts, kHeader + e * 8 + 4);
    if (shown.size() + count > (std::size_t{1} << 24)) return std::nullopt;
    for (std::uint32_t k = 0; k < count; ++k, time += delta) shown.push_back(time);
  }
  std::size_t sample = 0;
  for (std::uint32_t e = 0; e < *offsets; ++e) {
    const std::uint32_t count = ReadWord(*ctts, kHeader + e * 8);
    const auto offset = static_cast<std::int32_t>(ReadWord(*ctts, kHeader + e * 8 + 4));
    for (std::uint32_t k = 0; k < count && sample < shown.size(); ++k) shown[sample++] += offset;
  }
  AtomBytes kept(stss.begin(), stss.begin() + kHeader);
  std::uint32_t count = 0;
  for (std::uint32_t e = 0; e < *syncs; ++e) {
    const std::uint32_t number = ReadWord(stss, kHeader + e * 4);  // 1-based
    if (number == 0 || number > shown.size() ||
        shown[number - 1] >= static_cast<std::int64_t>(limit)) {
      continue;
    }
    AppendWord(kept, number);
    ++count;
  }
  WriteWord(kept, 4, count);
  return kept;
}
