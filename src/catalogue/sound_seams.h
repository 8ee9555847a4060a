#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/sample_tables.h"

// The tables of a sound track that a join changes.
struct SoundTables {
  AtomBytes stts, stsz, stsc, stco, elst;
};

// How many of the joined sound's last samples a seam drops: `late` is how
// far (in the track's time scale) the next recording's sound would begin
// behind its pictures with every sample kept, `frame` how long each sample
// plays. A sink plays every decoded sample whole, so only whole samples can
// go: as many as bring the next recording's sound to within half a frame of
// its pictures, at most `available`. A sound that begins early keeps every
// sample.
std::size_t SamplesToDrop(std::int64_t late, std::uint32_t frame, std::size_t available);

// Joins the sound track of a further recording (b) to the joined track so
// far (a). A recording's encoder puts priming samples in front of its sound
// and padding behind it, and its one media edit skips them; a decoder still
// turns every sample into a whole frame of sound. At the seam b keeps its
// priming, which starts its decoder as its encoder meant, and a loses as
// many of its last samples as keep b's sound within half a frame of b's
// pictures, which begin `pictures` (in the movie's time scale) after a's.
// Every sample keeps a whole frame in the time table, so that the times say
// where a sink plays each sample, and the track keeps its one edit, grown
// to end where b's does. (A list of one edit per recording would say the
// same, but GStreamer 1.22 places every media edit after a track's first
// one wrongly and stops the sound half-way.) The media times are in the
// track's time scale `trackScale`, the edit durations in the movie's
// `movieScale`; b's chunks move by `chunkShift`. Nothing, with the reason,
// when a table or an edit list has a form this cannot join.
std::optional<SoundTables> JoinSoundTrack(const SoundTables& a, const SoundTables& b,
                                          std::uint32_t trackScale, std::uint32_t movieScale,
                                          std::uint32_t pictures, std::int64_t chunkShift,
                                          std::string& why);
