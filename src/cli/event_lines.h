#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

#include "catalogue/file_entry.h"
#include "catalogue/source_events.h"

// The lines of `kestrel-cli events`, which `kestrel-cli clip --event N`
// numbers from 1.

// One line: an event, or a recording that cannot be read.
struct EventLine {
  std::filesystem::path path;
  std::optional<SourceEvent> event;
  std::optional<std::tm> local;  // the recorder's clock, corrected
};

// The events of the source's recordings of the channels switched on, in
// the order of the recorder's clock plus `offsetSeconds`; those without a
// time, and the recordings that cannot be read, after them in list order.
std::vector<EventLine> SourceEventLines(const std::filesystem::path& source,
                                        const std::vector<FileEntry>& entries,
                                        const EventChannelSwitches& switches,
                                        std::int64_t offsetSeconds);
