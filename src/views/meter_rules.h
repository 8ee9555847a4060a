#pragma once

#include <array>
#include <cstdint>

#include "catalogue/speed_unit.h"

// The rules of the vehicle meters, free of any window: the value each kind
// shows for the recorder's vehicle words, the ranges, the needle's steps
// towards a new value and the needle's angle on our dial faces. The speed
// meter shows km/h or mph, each on a dial of its own.

// The meter kinds, in the order of the meters' drop-down lists.
enum MeterKind : int {
  kMeterThrottle = 0,
  kMeterEngineSpeed = 1,
  kMeterManifoldPressure = 2,
  kMeterCoolant = 3,
  kMeterSpeed = 4,
};
constexpr int kMeterKindCount = 5;

// The recorder writes two ASCII spaces in a vehicle word it has no value for.
constexpr std::uint16_t kMissingVehicleWord = 0x2020;

// The five values of one record, by kind, before they are limited to the
// kinds' ranges.
using MeterValues = std::array<int, kMeterKindCount>;

// Returns the values of the throttle, engine-speed, manifold-pressure,
// coolant and speed words (a missing word gives the kind's no-data value);
// the speed word's km/h are shown in `unit`, rounded as the panel rounds.
MeterValues MeterValuesFromWords(std::uint16_t throttle, std::uint16_t rpm, std::uint16_t manifold,
                                 std::uint16_t coolant, std::uint16_t speed,
                                 SpeedUnit unit = SpeedUnit::kKmh);

// The no-data values, which are also the needles' values when a meter starts.
MeterValues NoDataMeterValues();

// Returns the largest value a kind shows (its smallest is 0); `unit` is the
// speed meter's.
int MeterRangeMax(int kind, SpeedUnit unit = SpeedUnit::kKmh);

// Returns `value` limited to the kind's range.
int LimitMeterValue(int kind, int value, SpeedUnit unit = SpeedUnit::kKmh);

// Returns where the needle stands after one animation step from `current`
// towards `target` (never past it).
int NextAnimationValue(int kind, int current, int target);

// Returns the needle's angle in degrees clockwise from upright (0 to below
// 360) for a value of the kind, limited to its range.
double NeedleAngle(int kind, int value, SpeedUnit unit = SpeedUnit::kKmh);
