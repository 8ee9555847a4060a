#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue/sample_tables.h"

// Joining the edit lists (`elst`, version 0) of two tracks. An edit shows
// `duration` units of the movie's time scale, taken from the track's media
// from `mediaTime` on (in the track's own time scale); a media time of -1 is
// an empty edit, a stretch of time without samples.
struct Edit {
  std::uint32_t duration = 0;
  std::int32_t mediaTime = 0;
  std::uint32_t rate = 0x10000;  // 16.16 fixed point
  bool operator==(const Edit&) const = default;
};

// The edits of an `elst` content; nothing when it is not version 0 or holds
// fewer entries than its count says.
std::optional<std::vector<Edit>> ReadEdits(const AtomBytes& elst);

// An `elst` content with `edits`, version 0 and no flags.
AtomBytes WriteEdits(const std::vector<Edit>& edits);

// The one media edit of a list made of empty edits and one media edit at
// normal rate, which is how recordings start their tracks (a picture track
// skips its composition delay, a sound track its encoder priming).
std::optional<Edit> MediaEdit(const std::vector<Edit>& edits);

// Joins two such lists: the empty edits stay once and the media edit grows
// by b's. Nothing when either list has another shape, the empty edits
// differ, the media edits start at different media times while
// `sameStart`, or the duration would overflow.
std::optional<AtomBytes> GrowMediaEdit(const AtomBytes& a, const AtomBytes& b, bool sameStart);
