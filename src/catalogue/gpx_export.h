#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "container/sensor_records.h"

// The route of one recording, as its sensor track gives it.
struct GpxTrack {
  std::string name;  // the recording's file name
  std::vector<PositionRecord> positions;
};

struct GpxOptions {
  // Seconds added to the recorder's clock, which drifts.
  std::int64_t offsetSeconds = 0;
};

// Writes routes as a GPX 1.1 file: one track per recording, named after
// it, with one segment per stretch of fixed positions. A point's time is
// UTC, the recorder's clock read in the process's local zone (TZ), each of
// the ten records of a second at its own tenth; a segment
// also ends where the clock does not move forward. The speed is in m/s in
// Garmin's TrackPointExtension. Numbers are written the same in every
// locale. The file is written under a temporary name and renamed into
// place. Returns false with the reason when it cannot be written.
bool WriteGpx(const std::vector<GpxTrack>& tracks, const std::filesystem::path& path,
              const GpxOptions& options, std::string& why);

// The GPX text of the routes.
std::string GpxText(const std::vector<GpxTrack>& tracks, const GpxOptions& options = {});
