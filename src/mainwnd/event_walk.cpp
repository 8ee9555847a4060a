#include "mainwnd/event_walk.h"

#include <ranges>

namespace {

bool Counts(const EventMark& mark, const EventChannelSwitches& switches) {
  return mark.record != nullptr && mark.channel >= 0 && mark.channel < kEventChannelCount &&
         switches[static_cast<std::size_t>(mark.channel)].shownOnGraph;
}

std::optional<std::int32_t> LastBefore(const std::vector<EventMark>& marks,
                                       const EventChannelSwitches& switches, std::int64_t frame) {
  for (const EventMark& mark : std::views::reverse(marks)) {
    if (Counts(mark, switches) && mark.record->frame < frame) return mark.record->frame;
  }
  return std::nullopt;
}

std::optional<std::int32_t> FirstAfter(const std::vector<EventMark>& marks,
                                       const EventChannelSwitches& switches, std::int64_t frame) {
  for (const EventMark& mark : marks) {
    if (Counts(mark, switches) && mark.record->frame > frame) return mark.record->frame;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::int32_t> PreviousEventFrame(const std::vector<EventMark>& marks,
                                               const EventChannelSwitches& switches,
                                               std::int64_t cursor, std::int64_t frameCount) {
  if (auto frame = LastBefore(marks, switches, cursor)) return frame;
  return LastBefore(marks, switches, frameCount + 1);
}

std::optional<std::int32_t> NextEventFrame(const std::vector<EventMark>& marks,
                                           const EventChannelSwitches& switches,
                                           std::int64_t cursor) {
  if (auto frame = FirstAfter(marks, switches, cursor)) return frame;
  return FirstAfter(marks, switches, -1);
}
