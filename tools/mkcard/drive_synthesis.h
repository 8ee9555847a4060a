#pragma once

#include <cstdint>
#include <vector>

#include "mkcard/drive_model.h"

namespace mkcard {

// One recording's share of a folder's drive.
struct DriveSlot {
  char trigger = 'A';  // 'P' and 'S' stand still with the engine off
  int records = 0;     // records written for this recording (0 for a file without sensor data)
};

// A folder is one drive: its recordings are consecutive slices of it.
struct DriveSetup {
  int folder = 0;   // picks the town: folder % 3 == 1 crosses the prime meridian,
                    // folder % 3 == 2 crosses the equator
  int seconds = 0;  // length of every slice
  std::uint64_t seed = 0;
  std::int64_t startSeconds = 0;  // local start of the drive, seconds since 1970 (no time zone)
};

// Returns the records of every slot, slot by slot.
std::vector<std::vector<SensorSample>> SynthesizeDrive(const DriveSetup& setup,
                                                       const std::vector<DriveSlot>& slots);

// Returns the local clock of `seconds` since 1970 (no time zone).
LocalClock ClockOf(std::int64_t seconds);

}  // namespace mkcard
