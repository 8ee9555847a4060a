#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "container/event_marks.h"

// Previous/next event from the graph's cursor. Only marks whose channel is
// shown on the graph count.

// The frame of the last mark before `cursor`, or, when there is none, of the
// last mark of all (the walk wraps to the end). Nothing without marks.
std::optional<std::int32_t> PreviousEventFrame(const std::vector<EventMark>& marks,
                                               const EventChannelSwitches& switches,
                                               std::int64_t cursor, std::int64_t frameCount);

// The frame of the first mark after `cursor`, or, when there is none, of the
// first mark of all (the walk wraps to the start).
std::optional<std::int32_t> NextEventFrame(const std::vector<EventMark>& marks,
                                           const EventChannelSwitches& switches,
                                           std::int64_t cursor);
