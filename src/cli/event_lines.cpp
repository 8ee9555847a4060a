#include "cli/event_lines.h"

#include <algorithm>
#include <limits>

#include "catalogue/recorder_clock.h"
#include "catalogue/source_entries.h"

namespace {

std::int64_t SortKey(const EventLine& line) {
  if (!line.local) return std::numeric_limits<std::int64_t>::max();
  std::tm copy = *line.local;
  return static_cast<std::int64_t>(timegm(&copy));
}

}  // namespace

std::vector<EventLine> SourceEventLines(const std::filesystem::path& source,
                                        const std::vector<FileEntry>& entries,
                                        const EventChannelSwitches& switches,
                                        std::int64_t offsetSeconds) {
  std::vector<EventLine> lines;
  ScanEvents(entries, {.switches = switches, .found = [&](RecordingEvents found) {
                         const std::filesystem::path& path = entries[found.entry].path;
                         if (!found.readable) lines.push_back({path, std::nullopt, std::nullopt});
                         for (SourceEvent& e : found.events) {
                           const std::optional<std::tm> local =
                               CorrectedLocalTime(e.time, offsetSeconds);
                           lines.push_back({path, std::move(e), local});
                         }
                       }});
  for (const std::filesystem::path& path : RefusedMovies(source, entries)) {
    lines.push_back({path, std::nullopt, std::nullopt});
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const EventLine& a, const EventLine& b) { return SortKey(a) < SortKey(b); });
  return lines;
}
