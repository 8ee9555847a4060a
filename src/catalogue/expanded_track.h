#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue/sample_tables.h"

// One track's sample tables with a value per sample and per chunk, for
// changes that the compact tables cannot take in place (samples taken out
// at the back of a chunk).
struct ExpandedTrack {
  struct Chunk {
    std::uint32_t offset = 0;
    std::uint32_t samples = 0;
    std::uint32_t description = 1;
  };
  std::uint32_t constantSize = 0;     // the `stsz` constant size; 0 when listed
  std::vector<std::uint32_t> sizes;   // listed sizes (empty with a constant size)
  std::vector<std::uint32_t> deltas;  // time to the next sample, in the track's scale
  std::vector<Chunk> chunks;

  std::size_t SampleCount() const { return deltas.size(); }
  std::uint64_t Duration() const;
  std::uint32_t SizeOf(std::size_t sample) const {
    return constantSize != 0 ? constantSize : sizes[sample];
  }
};

// Expands the four tables; nothing when they disagree (the chunks hold
// another number of samples than `stsz` and `stts` count) or hold more than
// `maxSamples` samples.
std::optional<ExpandedTrack> ExpandTrack(const AtomBytes& stts, const AtomBytes& stsz,
                                         const AtomBytes& stsc, const AtomBytes& stco,
                                         std::size_t maxSamples);

// Takes `count` samples off the back of the track; a chunk that loses all
// its samples goes with them.
void DropBack(ExpandedTrack& track, std::size_t count);

// Takes `count` samples off the front of the track: a chunk that loses some
// of its samples now begins at its first sample kept, one that loses all
// goes.
void DropFront(ExpandedTrack& track, std::size_t count);

// Moves every chunk by `shift`; false when an offset leaves the 32-bit range.
bool MoveChunks(ExpandedTrack& track, std::int64_t shift);

// The file offset just past the last sample of the track's last chunk; 0
// without chunks.
std::uint64_t ChunksEnd(const ExpandedTrack& track);

// Appends `more`, whose chunks move by `chunkShift`; false when an offset
// leaves the 32-bit range or the size forms differ.
bool AppendTrack(ExpandedTrack& track, const ExpandedTrack& more, std::int64_t chunkShift);

// The compact tables again: `stts` with runs of equal deltas, `stsz`,
// `stsc` with runs of equal chunks, `stco`.
struct CompactTables {
  AtomBytes stts, stsz, stsc, stco;
};
CompactTables CompactTrack(const ExpandedTrack& track);
