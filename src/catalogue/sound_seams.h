#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/sample_tables.h"

// The tables of a sound track that a join changes.
struct SoundTables {
  AtomBytes stts, stsz, stsc, stco, elst;
};

// Joins the sound track of a further recording (b) to the joined track so
// far (a). A recording's encoder puts priming samples in front of its sound
// and padding behind it, which its one media edit skips. At the seam those
// samples are left out of the joined track, so that b's sound follows a's
// without a gap and starts where b's pictures do, and the track keeps its
// one edit, grown by b's. (A list of one edit per recording would say the
// same, but GStreamer 1.22 places every media edit after a track's first
// one wrongly and stops the sound half-way.) The media times are in the
// track's time scale `trackScale`, the edit durations in the movie's
// `movieScale`; b's chunks move by `chunkShift`. Nothing, with the reason,
// when a table or an edit list has a form this cannot join.
std::optional<SoundTables> JoinSoundTrack(const SoundTables& a, const SoundTables& b,
                                          std::uint32_t trackScale, std::uint32_t movieScale,
                                          std::int64_t chunkShift, std::string& why);
