#pragma once

#include <span>
#include <string>
#include <vector>

#include "container/sensor_records.h"

// The texts that the map host sends into the map page. Numbers are written
// as printf's "%f" and "%d" would write them in the C locale, whatever the
// user's locale: a decimal comma never reaches the page.

// "%f": six decimals, a decimal point.
std::string FixedText(double value);

// The rebuild sequence for the recording at `index` of the list, in order.
std::vector<std::string> RebuildStatements(int index);

// "cplist.AddCrashPos(...)" for one event mark of the recording at `index`.
std::string AddCrashPosStatement(int icon, const AccelRecord& accel, int index,
                                 const PositionRecord& position);

// Whether a position lies on the map (latitude within ±90°, longitude within
// ±180°).
bool OnTheMap(double latitude, double longitude);

// The track array as a script array literal: latitude, longitude and frame
// of every valid record that lies on the map, in record order, then three
// times the number of those records. "[0]" when there are none.
std::string TrackArrayText(std::span<const PositionRecord> positions);

// The `update` message for the page: map_lat, map_lng, map_status,
// val_command "update" and val_end "", written by the JSON holder.
std::string UpdateMessage(double latitude, double longitude, const std::string& status);
