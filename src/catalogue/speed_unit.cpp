#include "catalogue/speed_unit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

double SpeedIn(SpeedUnit unit, double kmh) {
  return unit == SpeedUnit::kMph ? kmh / kKmPerMile : kmh;
}

double ShownSpeed(SpeedUnit unit, double kmh) {
  // nearbyint in the default rounding mode rounds as printf's "%.0f" does.
  return std::nearbyint(std::min(SpeedIn(unit, kmh), kMaxShownSpeed));
}

std::string ShownSpeedText(SpeedUnit unit, double kmh) {
  char text[16];
  std::snprintf(text, sizeof text, "%.0f", ShownSpeed(unit, kmh));
  return text;
}

const char* SpeedUnitLabel(SpeedUnit unit) { return unit == SpeedUnit::kMph ? "mph" : "km/h"; }
