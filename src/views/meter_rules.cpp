#include "views/meter_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

namespace {

constexpr std::array<int, kMeterKindCount> kRangeMax{100, 100, 220, 105, 300};
constexpr int kMphRangeMax = 180;
constexpr std::array<int, kMeterKindCount> kNoData{0, 0, 90, 0, 0};

// Manifold pressure is shown so that 90 stands for the atmosphere (101 kPa).
constexpr int kAtmosphereWord = 101;
constexpr int kAtmosphereShown = 90;

// One calibration point of a dial: a value and the needle's angle there,
// counted on clockwise from the scale's start (past 360 after upright).
struct DialPoint {
  int value;
  double angle;
};

// The calibration points of our dial faces; the angle between two points
// runs linearly, and the faces draw their scales through the same angles.
constexpr DialPoint kThrottleDial[] = {{0, 261.5},  {10, 282.0}, {25, 311.5},
                                       {50, 360.0}, {75, 408.5}, {100, 459.0}};
constexpr DialPoint kEngineSpeedDial[] = {{0, 261.5}, {50, 360.0}, {100, 459.0}};
constexpr DialPoint kManifoldDial[] = {{0, 251.5},   {45, 296.5},  {90, 340.5},
                                       {110, 360.0}, {155, 403.5}, {220, 468.0}};
constexpr DialPoint kCoolantDial[] = {{0, 261.5},  {20, 301.5}, {40, 340.0},
                                      {60, 379.5}, {80, 418.5}, {105, 468.0}};
constexpr DialPoint kSpeedDial[] = {{0, 261.5},   {60, 301.5},  {100, 328.5},
                                    {150, 360.0}, {200, 391.0}, {300, 459.0}};
// The same sweep in mph, through the km/h dial's angles at round speeds.
constexpr DialPoint kMphDial[] = {{0, 261.5},  {40, 301.5},  {60, 328.5},
                                  {90, 360.0}, {120, 391.0}, {180, 459.0}};

std::span<const DialPoint> DialOf(int kind, SpeedUnit unit) {
  switch (kind) {
    case kMeterThrottle:
      return kThrottleDial;
    case kMeterEngineSpeed:
      return kEngineSpeedDial;
    case kMeterManifoldPressure:
      return kManifoldDial;
    case kMeterCoolant:
      return kCoolantDial;
    default:
      return unit == SpeedUnit::kMph ? std::span<const DialPoint>(kMphDial)
                                     : std::span<const DialPoint>(kSpeedDial);
  }
}

bool ValidKind(int kind) { return kind >= 0 && kind < kMeterKindCount; }

}  // namespace

MeterValues MeterValuesFromWords(std::uint16_t throttle, std::uint16_t rpm, std::uint16_t manifold,
                                 std::uint16_t coolant, std::uint16_t speed, SpeedUnit unit) {
  const auto value = [](std::uint16_t word, int kind, int shown) {
    return word == kMissingVehicleWord ? kNoData[kind] : shown;
  };
  // Integer arithmetic for the manifold pressure: the same as scaling the
  // difference by a hundredth and back, without the rounding error of the
  // floating-point form (0.29 * 100 truncates to 28).
  return {value(throttle, kMeterThrottle, throttle / 10), value(rpm, kMeterEngineSpeed, rpm / 100),
          value(manifold, kMeterManifoldPressure, manifold - kAtmosphereWord + kAtmosphereShown),
          value(coolant, kMeterCoolant, coolant - 40),
          value(speed, kMeterSpeed, static_cast<int>(ShownSpeed(unit, speed)))};
}

MeterValues NoDataMeterValues() { return kNoData; }

int MeterRangeMax(int kind, SpeedUnit unit) {
  if (!ValidKind(kind)) return 0;
  return kind == kMeterSpeed && unit == SpeedUnit::kMph ? kMphRangeMax : kRangeMax[kind];
}

int LimitMeterValue(int kind, int value, SpeedUnit unit) {
  return std::clamp(value, 0, MeterRangeMax(kind, unit));
}

int NextAnimationValue(int kind, int current, int target) {
  const int distance = std::abs(target - current);
  int step = 1;
  if (kind == kMeterManifoldPressure) {
    step = distance < 6 ? 1 : 6;
  } else if (kind == kMeterSpeed) {
    step = distance >= 8 ? 8 : (distance >= 2 ? 2 : 1);
  } else {
    step = distance >= 2 ? 2 : 1;
  }
  step = std::min(step, distance);
  return target > current ? current + step : current - step;
}

double NeedleAngle(int kind, int value, SpeedUnit unit) {
  if (!ValidKind(kind)) return 0;
  const std::span<const DialPoint> dial = DialOf(kind, unit);
  const int limited = LimitMeterValue(kind, value, unit);
  std::size_t upper = 1;
  while (upper + 1 < dial.size() && dial[upper].value < limited) ++upper;
  const DialPoint& a = dial[upper - 1];
  const DialPoint& b = dial[upper];
  const double angle = a.angle + (b.angle - a.angle) * (limited - a.value) / (b.value - a.value);
  return std::fmod(angle, 360.0);
}
