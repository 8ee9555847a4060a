#pragma once

#include <cstdint>
#include <optional>

#include "catalogue/sample_tables.h"

// Checks of one track's sample tables against each other and against the
// media, made before a join writes anything: a join of tables that disagree
// gives a movie that players read as broken or cut short.

// The number of samples that `stsc` gives `chunkCount` chunks; nothing when
// the table is not well formed (first chunks not rising from 1).
std::optional<std::uint64_t> SamplesInChunks(const AtomBytes& stsc, std::uint32_t chunkCount);

// The number of samples that `stts` times.
std::optional<std::uint64_t> TimedSamples(const AtomBytes& stts);

// True when every chunk with its samples lies in [begin, end) of the file.
// The tables are well formed and agree on the sample count.
bool ChunksWithin(const AtomBytes& stsc, const AtomBytes& stsz, const AtomBytes& stco,
                  std::uint64_t begin, std::uint64_t end);

// The number of sample descriptions of an `stsd`, when it holds as many as
// its count says.
std::optional<std::uint32_t> DescriptionCount(const AtomBytes& stsd);

// True when every `stsc` entry names one of the track's `descriptions`
// sample descriptions (numbered from 1). The table is well formed.
bool DescriptionsWithin(const AtomBytes& stsc, std::uint32_t descriptions);

// True when every sync sample number lies in 1..sampleCount.
bool SyncSamplesWithin(const AtomBytes& stss, std::uint64_t sampleCount);

// True when every sample lasts `delta`, but the last, which may be shorter
// but not 0 (a recording's last picture). With `shorterAnywhere` any sample
// may be shorter but not 0 (sound joined at seams).
bool DeltasMatch(const AtomBytes& stts, std::uint32_t delta, bool shorterAnywhere);
