#pragma once

#include <cstdint>
#include <optional>

#include "catalogue/sample_tables.h"

// Cutting the per-sample tables of a track to a run of its samples, first
// to last (0-based, in decoding order, both kept). Each takes the copied
// content of the atom and returns the content of the cut one, or nothing
// when the table is not well formed or does not reach `last`.

// Composition offsets (`ctts`): the entries of the samples kept.
std::optional<AtomBytes> CutCompositionOffsets(const AtomBytes& ctts, std::uint32_t first,
                                               std::uint32_t last);

// Sync samples (`stss`, 1-based numbers): those kept, renumbered from the
// first kept.
std::optional<AtomBytes> CutSyncSamples(const AtomBytes& stss, std::uint32_t first,
                                        std::uint32_t last);

// Sample dependency flags (`sdtp`, a byte a sample after the version and
// flags).
std::optional<AtomBytes> CutSampleFlags(const AtomBytes& sdtp, std::uint32_t first,
                                        std::uint32_t last);

// Sync samples (`stss`) without those shown at or after `limit` in the
// media's time (decoding time plus composition offset, `stts` and `ctts`).
std::optional<AtomBytes> SyncSamplesShownBefore(const AtomBytes& stss, const AtomBytes& stts,
                                                const AtomBytes* ctts, std::uint64_t limit);
