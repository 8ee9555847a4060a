#include "catalogue/sample_tables.h"

#include <functional>

namespace {

constexpr std::size_t kCountedHeader = 8;  // version and flags, entry count

// Appends b's entries to a's, passing each of b's entries through `adjust`
// (which may refuse it).
std::optional<AtomBytes> AppendEntries(
    const AtomBytes& a, const AtomBytes& b, std::size_t entrySize,
    const std::function<bool(AtomBytes& entry)>& adjust = nullptr) {
  const std::optional<std::uint32_t> countA = EntryCount(a, entrySize);
  const std::optional<std::uint32_t> countB = EntryCount(b, entrySize);
  if (!countA || !countB || std::uint64_t{*countA} + *countB > UINT32_MAX) return std::nullopt;
  AtomBytes joined(a.begin(), a.begin() + kCountedHeader + std::size_t{*countA} * entrySize);
  WriteWord(joined, 4, *countA + *countB);
  for (std::uint32_t i = 0; i < *countB; ++i) {
    const auto from = b.begin() + kCountedHeader + std::size_t{i} * entrySize;
    AtomBytes entry(from, from + entrySize);
    if (adjust && !adjust(entry)) return std::nullopt;
    joined.insert(joined.end(), entry.begin(), entry.end());
  }
  return joined;
}

// Adds `delta` to the word at `offset` of an entry, within the 32-bit range.
bool Shift(AtomBytes& entry, std::size_t offset, std::int64_t delta) {
  const std::int64_t moved = std::int64_t{ReadWord(entry, offset)} + delta;
  if (moved < 0 || moved > std::int64_t{UINT32_MAX}) return false;
  WriteWord(entry, offset, static_cast<std::uint32_t>(moved));
  return true;
}

}  // namespace

std::uint32_t ReadWord(const AtomBytes& bytes, std::size_t offset) {
  return (std::uint32_t{bytes[offset]} << 24) | (std::uint32_t{bytes[offset + 1]} << 16) |
         (std::uint32_t{bytes[offset + 2]} << 8) | std::uint32_t{bytes[offset + 3]};
}

void WriteWord(AtomBytes& bytes, std::size_t offset, std::uint32_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value >> 24);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 16);
  bytes[offset + 2] = static_cast<std::uint8_t>(value >> 8);
  bytes[offset + 3] = static_cast<std::uint8_t>(value);
}

std::optional<std::uint32_t> EntryCount(const AtomBytes& table, std::size_t entrySize) {
  if (table.size() < kCountedHeader) return std::nullopt;
  const std::uint32_t count = ReadWord(table, 4);
  if ((table.size() - kCountedHeader) / entrySize < count) return std::nullopt;
  return count;
}

std::optional<std::uint64_t> TimeToSampleDuration(const AtomBytes& stts) {
  const std::optional<std::uint32_t> count = EntryCount(stts, 8);
  if (!count) return std::nullopt;
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < *count; ++i) {
    total += std::uint64_t{ReadWord(stts, kCountedHeader + i * 8)} *
             ReadWord(stts, kCountedHeader + i * 8 + 4);
  }
  return total;
}

std::optional<std::uint32_t> SampleCount(const AtomBytes& stsz) {
  if (stsz.size() < 12) return std::nullopt;
  const std::uint32_t count = ReadWord(stsz, 8);
  if (ReadWord(stsz, 4) == 0 && (stsz.size() - 12) / 4 < count) return std::nullopt;
  return count;
}

std::optional<AtomBytes> JoinTimeToSample(const AtomBytes& a, const AtomBytes& b) {
  std::optional<AtomBytes> joined = AppendEntries(a, b, 8);
  const std::uint32_t countA = ReadWord(a, 4);
  if (!joined || countA == 0 || ReadWord(b, 4) == 0) return joined;
  // Where A's last delta equals B's first, the two entries become one.
  const std::size_t last = kCountedHeader + std::size_t{countA - 1} * 8;
  const std::size_t next = last + 8;
  if (ReadWord(*joined, last + 4) != ReadWord(*joined, next + 4)) return joined;
  const std::uint64_t samples = std::uint64_t{ReadWord(*joined, last)} + ReadWord(*joined, next);
  if (samples > UINT32_MAX) return joined;
  WriteWord(*joined, last, static_cast<std::uint32_t>(samples));
  joined->erase(joined->begin() + static_cast<std::ptrdiff_t>(next),
                joined->begin() + static_cast<std::ptrdiff_t>(next + 8));
  WriteWord(*joined, 4, ReadWord(*joined, 4) - 1);
  return joined;
}

std::optional<AtomBytes> JoinCompositionOffsets(const AtomBytes& a, const AtomBytes& b) {
  return AppendEntries(a, b, 8);
}

std::optional<AtomBytes> JoinSyncSamples(const AtomBytes& a, const AtomBytes& b,
                                         std::uint32_t samplesBefore) {
  return AppendEntries(a, b, 4, [&](AtomBytes& entry) { return Shift(entry, 0, samplesBefore); });
}

std::optional<AtomBytes> JoinSampleToChunk(const AtomBytes& a, const AtomBytes& b,
                                           std::uint32_t chunksBefore) {
  return AppendEntries(a, b, 12, [&](AtomBytes& entry) { return Shift(entry, 0, chunksBefore); });
}

std::optional<AtomBytes> JoinChunkOffsets(const AtomBytes& a, const AtomBytes& b,
                                          std::int64_t shift) {
  return AppendEntries(a, b, 4, [&](AtomBytes& entry) { return Shift(entry, 0, shift); });
}

std::optional<AtomBytes> JoinSampleSizes(const AtomBytes& a, const AtomBytes& b) {
  const std::optional<std::uint32_t> countA = SampleCount(a);
  const std::optional<std::uint32_t> countB = SampleCount(b);
  if (!countA || !countB || std::uint64_t{*countA} + *countB > UINT32_MAX) return std::nullopt;
  const std::uint32_t sizeA = ReadWord(a, 4);
  if (sizeA != ReadWord(b, 4)) return std::nullopt;
  AtomBytes joined(a.begin(), a.begin() + 12 + (sizeA == 0 ? std::size_t{*countA} * 4 : 0));
  WriteWord(joined, 8, *countA + *countB);
  if (sizeA == 0)
    joined.insert(joined.end(), b.begin() + 12, b.begin() + 12 + std::size_t{*countB} * 4);
  return joined;
}

std::optional<AtomBytes> JoinSampleFlags(const AtomBytes& a, const AtomBytes& b) {
  if (a.size() < 4 || b.size() < 4) return std::nullopt;
  AtomBytes joined = a;
  joined.insert(joined.end(), b.begin() + 4, b.end());
  return joined;
}

bool AddDuration(AtomBytes& content, std::size_t offset, std::uint32_t value) {
  if (content.size() < offset + 4) return false;
  const std::uint64_t sum = std::uint64_t{ReadWord(content, offset)} + value;
  if (sum > UINT32_MAX) return false;
  WriteWord(content, offset, static_cast<std::uint32_t>(sum));
  return true;
}

bool ReadDescriptorLength(const AtomBytes& bytes, std::size_t& at, std::size_t& length) {
  length = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= bytes.size()) return false;
    const std::uint8_t byte = bytes[at++];
    length = (length << 7) | (byte & 0x7Fu);
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}
