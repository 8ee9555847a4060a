#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "container/sensor_records.h"

// Writes a route as a GPX 1.1 track: the records with a satellite fix, with
// their time (UTC, from the records' local time) and speed (m/s), one
// segment per stretch of fixed positions. The file is written under a
// temporary name and renamed into place. Returns false with the reason
// when it cannot be written.
bool WriteGpx(const std::vector<PositionRecord>& route, const std::filesystem::path& path,
              std::string& why);

// The GPX text of a route.
std::string GpxText(const std::vector<PositionRecord>& route);
