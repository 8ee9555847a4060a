#include "catalogue/expanded_track.h"

#include <algorithm>

#include "catalogue/table_checks.h"

namespace {

constexpr std::size_t kHeader = 8;  // version and flags, entry count

void AppendWord(AtomBytes& bytes, std::uint32_t value) {
  bytes.resize(bytes.size() + 4);
  WriteWord(bytes, bytes.size() - 4, value);
}

AtomBytes CountedTable(std::uint32_t count) {
  AtomBytes table(kHeader, 0);
  WriteWord(table, 4, count);
  return table;
}

}  // namespace

std::uint64_t ExpandedTrack::Duration() const {
  std::uint64_t total = 0;
  for (std::uint32_t delta : deltas) total += delta;
  return total;
}

std::optional<ExpandedTrack> ExpandTrack(const AtomBytes& stts, const AtomBytes& stsz,
                                         const AtomBytes& stsc, const AtomBytes& stco,
                                         std::size_t maxSamples) {
  const std::optional<std::uint32_t> samples = SampleCount(stsz);
  const std::optional<std::uint32_t> chunkCount = EntryCount(stco, 4);
  if (!samples || !chunkCount || *samples > maxSamples ||
      SamplesInChunks(stsc, *chunkCount) != *samples || TimedSamples(stts) != *samples) {
    return std::nullopt;
  }

  ExpandedTrack track;
  track.constantSize = ReadWord(stsz, 4);
  if (track.constantSize == 0) {
    track.sizes.resize(*samples);
    for (std::size_t i = 0; i < *samples; ++i) track.sizes[i] = ReadWord(stsz, 12 + i * 4);
  }
  for (std::size_t i = 0; i < ReadWord(stts, 4); ++i) {
    track.deltas.insert(track.deltas.end(), ReadWord(stts, kHeader + i * 8),
                        ReadWord(stts, kHeader + i * 8 + 4));
  }
  track.chunks.resize(*chunkCount);
  for (std::size_t c = 0; c < track.chunks.size(); ++c) {
    track.chunks[c].offset = ReadWord(stco, kHeader + c * 4);
  }
  // Each `stsc` entry gives the chunks from its first chunk (1-based) to the
  // next entry's their sample count and description.
  const std::uint32_t entries = ReadWord(stsc, 4);
  for (std::size_t e = 0; e < entries; ++e) {
    const std::size_t at = kHeader + e * 12;
    const std::size_t next = e + 1 < entries ? ReadWord(stsc, at + 12) : track.chunks.size() + 1;
    for (std::size_t c = ReadWord(stsc, at); c < next; ++c) {
      track.chunks[c - 1].samples = ReadWord(stsc, at + 4);
      track.chunks[c - 1].description = ReadWord(stsc, at + 8);
    }
  }
  return track;
}

void DropBack(ExpandedTrack& track, std::size_t count) {
  count = std::min(count, track.SampleCount());
  for (std::size_t dropped = 0; dropped < count;) {
    ExpandedTrack::Chunk& last = track.chunks.back();
    const std::uint32_t take =
        static_cast<std::uint32_t>(std::min<std::size_t>(last.samples, count - dropped));
    last.samples -= take;
    dropped += take;
    if (last.samples == 0) track.chunks.pop_back();
  }
  track.deltas.resize(track.deltas.size() - count);
  if (track.constantSize == 0) track.sizes.resize(track.sizes.size() - count);
}

void DropFront(ExpandedTrack& track, std::size_t count) {
  count = std::min(count, track.SampleCount());
  std::size_t sample = 0;
  std::size_t chunk = 0;
  while (sample < count) {
    ExpandedTrack::Chunk& first = track.chunks[chunk];
    const std::uint32_t take =
        static_cast<std::uint32_t>(std::min<std::size_t>(first.samples, count - sample));
    for (std::uint32_t k = 0; k < take; ++k) first.offset += track.SizeOf(sample + k);
    first.samples -= take;
    sample += take;
    if (first.samples == 0) ++chunk;
  }
  track.chunks.erase(track.chunks.begin(),
                     track.chunks.begin() + static_cast<std::ptrdiff_t>(chunk));
  track.deltas.erase(track.deltas.begin(),
                     track.deltas.begin() + static_cast<std::ptrdiff_t>(count));
  if (track.constantSize == 0) {
    track.sizes.erase(track.sizes.begin(),
                      track.sizes.begin() + static_cast<std::ptrdiff_t>(count));
  }
}

bool MoveChunks(ExpandedTrack& track, std::int64_t shift) {
  for (ExpandedTrack::Chunk& chunk : track.chunks) {
    const std::int64_t moved = std::int64_t{chunk.offset} + shift;
    if (moved < 0 || moved > std::int64_t{UINT32_MAX}) return false;
    chunk.offset = static_cast<std::uint32_t>(moved);
  }
  return true;
}

std::uint64_t ChunksEnd(const ExpandedTrack& track) {
  if (track.chunks.empty()) return 0;
  const ExpandedTrack::Chunk& last = track.chunks.back();
  std::uint64_t end = last.offset;
  for (std::size_t s = track.SampleCount() - last.samples; s < track.SampleCount(); ++s) {
    end += track.SizeOf(s);
  }
  return end;
}

bool AppendTrack(ExpandedTrack& track, const ExpandedTrack& more, std::int64_t chunkShift) {
  if (track.constantSize != more.constantSize) return false;
  for (ExpandedTrack::Chunk chunk : more.chunks) {
    const std::int64_t moved = std::int64_t{chunk.offset} + chunkShift;
    if (moved < 0 || moved > std::int64_t{UINT32_MAX}) return false;
    chunk.offset = static_cast<std::uint32_t>(moved);
    track.chunks.push_back(chunk);
  }
  track.deltas.insert(track.deltas.end(), more.deltas.begin(), more.deltas.end());
  track.sizes.insert(track.sizes.end(), more.sizes.begin(), more.sizes.end());
  return true;
}

CompactTables CompactTrack(const ExpandedTrack& track) {
  CompactTables out;
  out.stts = CountedTable(0);
  std::uint32_t runs = 0;
  for (std::size_t i = 0; i < track.deltas.size();) {
    std::size_t end = i;
    while (end < track.deltas.size() && track.deltas[end] == track.deltas[i]) ++end;
    AppendWord(out.stts, static_cast<std::uint32_t>(end - i));
    AppendWord(out.stts, track.deltas[i]);
    ++runs;
    i = end;
  }
  WriteWord(out.stts, 4, runs);

  out.stsz = AtomBytes(12, 0);
  WriteWord(out.stsz, 4, track.constantSize);
  WriteWord(out.stsz, 8, static_cast<std::uint32_t>(track.SampleCount()));
  for (std::uint32_t size : track.sizes) AppendWord(out.stsz, size);

  out.stsc = CountedTable(0);
  out.stco = CountedTable(static_cast<std::uint32_t>(track.chunks.size()));
  std::uint32_t entries = 0;
  for (std::size_t c = 0; c < track.chunks.size(); ++c) {
    const ExpandedTrack::Chunk& chunk = track.chunks[c];
    AppendWord(out.stco, chunk.offset);
    if (c > 0 && chunk.samples == track.chunks[c - 1].samples &&
        chunk.description == track.chunks[c - 1].description) {
      continue;
    }
    AppendWord(out.stsc, static_cast<std::uint32_t>(c + 1));
    AppendWord(out.stsc, chunk.samples);
    AppendWord(out.stsc, chunk.description);
    ++entries;
  }
  WriteWord(out.stsc, 4, entries);
  return out;
}
