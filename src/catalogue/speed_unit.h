#pragma once

#include <string>

// The unit the viewer shows speeds in. The recorder writes km/h; the CSV
// list, the GPX route and the command-line tool keep their own formats.
enum class SpeedUnit { kKmh, kMph };

// Kilometres in one statute mile.
inline constexpr double kKmPerMile = 1.609344;

// The fastest speed the viewer shows; faster speeds show as this.
inline constexpr double kMaxShownSpeed = 999.0;

// Returns `kmh` in `unit`.
double SpeedIn(SpeedUnit unit, double kmh);

// Returns the speed as the viewer shows it: `kmh` in `unit`, at most 999,
// rounded to a whole number the way "%.0f" rounds (halves to even).
double ShownSpeed(SpeedUnit unit, double kmh);

// Returns ShownSpeed as "%.0f" writes it ("62").
std::string ShownSpeedText(SpeedUnit unit, double kmh);

// Returns the unit's label: "km/h" or "mph".
const char* SpeedUnitLabel(SpeedUnit unit);
