#include "catalogue/table_checks.h"

namespace {

constexpr std::size_t kHeader = 8;  // version and flags, entry count

}  // namespace

std::optional<std::uint64_t> SamplesInChunks(const AtomBytes& stsc, std::uint32_t chunkCount) {
  const std::optional<std::uint32_t> entries = EntryCount(stsc, 12);
  if (!entries) return std::nullopt;
  std::uint64_t samples = 0;
  for (std::size_t e = 0; e < *entries; ++e) {
    const std::size_t at = kHeader + e * 12;
    const std::uint64_t first = ReadWord(stsc, at);
    const std::uint64_t next =
        e + 1 < *entries ? ReadWord(stsc, at + 12) : std::uint64_t{chunkCount} + 1;
    if ((e == 0 && first != 1) || next <= first || next > std::uint64_t{chunkCount} + 1) {
      return std::nullopt;
    }
    samples += (next - first) * ReadWord(stsc, at + 4);
  }
  if (*entries == 0 && chunkCount != 0) return std::nullopt;
  return samples;
}

std::optional<std::uint64_t> TimedSamples(const AtomBytes& stts) {
  const std::optional<std::uint32_t> entries = EntryCount(stts, 8);
  if (!entries) return std::nullopt;
  std::uint64_t samples = 0;
  for (std::size_t e = 0; e < *entries; ++e) samples += ReadWord(stts, kHeader + e * 8);
  return samples;
}

bool ChunksWithin(const AtomBytes& stsc, const AtomBytes& stsz, const AtomBytes& stco,
                  std::uint64_t begin, std::uint64_t end) {
  const std::uint32_t entries = ReadWord(stsc, 4);
  const std::uint32_t chunks = ReadWord(stco, 4);
  const std::uint32_t constant = ReadWord(stsz, 4);
  std::size_t sample = 0;
  std::size_t entry = 0;
  for (std::uint32_t chunk = 1; chunk <= chunks; ++chunk) {
    while (entry + 1 < entries && ReadWord(stsc, kHeader + (entry + 1) * 12) <= chunk) ++entry;
    const std::uint32_t perChunk = ReadWord(stsc, kHeader + entry * 12 + 4);
    std::uint64_t bytes = 0;
    for (std::uint32_t i = 0; i < perChunk; ++i, ++sample) {
      bytes += constant != 0 ? constant : ReadWord(stsz, 12 + sample * 4);
    }
    const std::uint64_t offset = ReadWord(stco, kHeader + (chunk - 1) * 4);
    if (offset < begin || offset > end || bytes > end - offset) return false;
  }
  return true;
}

std::optional<std::uint32_t> DescriptionCount(const AtomBytes& stsd) {
  if (stsd.size() < kHeader) return std::nullopt;
  const std::uint32_t count = ReadWord(stsd, 4);
  std::size_t at = kHeader;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (stsd.size() - at < 8) return std::nullopt;
    const std::uint32_t size = ReadWord(stsd, at);  // each description is an atom
    if (size < 8 || size > stsd.size() - at) return std::nullopt;
    at += size;
  }
  return count;
}

bool DescriptionsWithin(const AtomBytes& stsc, std::uint32_t descriptions) {
  const std::uint32_t entries = ReadWord(stsc, 4);
  for (std::size_t e = 0; e < entries; ++e) {
    const std::uint32_t description = ReadWord(stsc, kHeader + e * 12 + 8);
    if (description == 0 || description > descriptions) return false;
  }
  return true;
}

bool SyncSamplesWithin(const AtomBytes& stss, std::uint64_t sampleCount) {
  const std::uint32_t entries = ReadWord(stss, 4);
  for (std::size_t e = 0; e < entries; ++e) {
    const std::uint32_t number = ReadWord(stss, kHeader + e * 4);
    if (number == 0 || number > sampleCount) return false;
  }
  return true;
}

bool DeltasMatch(const AtomBytes& stts, std::uint32_t delta, bool shorterAnywhere) {
  const std::uint32_t entries = ReadWord(stts, 4);
  for (std::size_t e = 0; e < entries; ++e) {
    const std::uint32_t count = ReadWord(stts, kHeader + e * 8);
    const std::uint32_t value = ReadWord(stts, kHeader + e * 8 + 4);
    const bool last = e + 1 == entries;
    if (count == 0) continue;
    const bool shorter = value > 0 && value < delta && (shorterAnywhere || (last && count == 1));
    if (value != delta && !shorter) return false;
  }
  return true;
}
