#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "views/meter_rules.h"

namespace {

TEST(MeterRules, ValuesFromWordsAreLimitedAndMissingWordsGiveNoData) {
  constexpr std::uint16_t kMissing = kMissingVehicleWord;
  struct Case {
    std::uint16_t throttle, rpm, manifold, coolant, speed;
    MeterValues shown;
  };
  const Case cases[] = {
      {kMissing, kMissing, kMissing, kMissing, kMissing, {0, 0, 90, 0, 0}},
      {0, 0, 101, 40, 0, {0, 0, 90, 0, 0}},
      {1000, 10000, 231, 150, 300, {100, 100, 220, 105, 300}},
      {2000, 65535, 65535, 65535, 1000, {100, 100, 220, 105, 300}},
      {257, 3150, 130, 129, 87, {25, 31, 119, 89, 87}},
      {9, 99, 0, 0, 1, {0, 0, 0, 0, 1}},
      {505, 7777, 60, 39, 299, {50, 77, 49, 0, 299}},
  };
  for (const Case& c : cases) {
    const MeterValues raw = MeterValuesFromWords(c.throttle, c.rpm, c.manifold, c.coolant, c.speed);
    for (int kind = 0; kind < kMeterKindCount; ++kind) {
      EXPECT_EQ(LimitMeterValue(kind, raw[kind]), c.shown[kind])
          << "kind " << kind << " words " << c.throttle << ' ' << c.rpm << ' ' << c.manifold << ' '
          << c.coolant << ' ' << c.speed;
    }
  }
  EXPECT_EQ(NoDataMeterValues(), (MeterValues{0, 0, 90, 0, 0}));
  // Manifold pressure for every word up to the top of its range, against
  // the decimal form of the rule.
  for (int word = 0; word <= 300; ++word) {
    const int expected = std::clamp(word - 101 + 90, 0, 220);
    EXPECT_EQ(
        LimitMeterValue(kMeterManifoldPressure,
                        MeterValuesFromWords(0, 0, static_cast<std::uint16_t>(word), 0, 0)[2]),
        expected)
        << word;
  }
}

// Counts the steps from `from` to `to` and records their sizes.
std::vector<int> StepsBetween(int kind, int from, int to) {
  std::vector<int> steps;
  for (int current = from; current != to && steps.size() < 1000;) {
    const int next = NextAnimationValue(kind, current, to);
    steps.push_back(next - current);
    current = next;
  }
  return steps;
}

TEST(MeterRules, AnimationStepsNeverPassTheTarget) {
  struct Case {
    int kind, from, to;
    std::vector<int> steps;
  };
  const Case cases[] = {
      {kMeterSpeed, 0, 100, {8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 2, 2}},
      {kMeterSpeed, 20, 9, {-8, -2, -1}},
      {kMeterSpeed, 0, 1, {1}},
      {kMeterManifoldPressure, 90, 103, {6, 6, 1}},
      {kMeterManifoldPressure, 90, 80, {-6, -1, -1, -1, -1}},
      {kMeterThrottle, 0, 5, {2, 2, 1}},
      {kMeterEngineSpeed, 7, 2, {-2, -2, -1}},
      {kMeterCoolant, 0, 105, std::vector<int>(52, 2)},
      {kMeterThrottle, 40, 40, {}},
  };
  for (const Case& c : cases) {
    std::vector<int> expected = c.steps;
    if (c.kind == kMeterCoolant) expected.push_back(1);
    EXPECT_EQ(StepsBetween(c.kind, c.from, c.to), expected)
        << "kind " << c.kind << ' ' << c.from << " -> " << c.to;
  }
}

TEST(MeterRules, NeedleAnglesHoldTheDialRowsAndRiseSmoothly) {
  struct Row {
    int kind, value;
    double angle;
  };
  const Row rows[] = {
      {0, 0, 261.5},  {0, 10, 282},   {0, 25, 311.5}, {0, 50, 0},      {0, 75, 48.5},
      {0, 100, 99},   {1, 0, 261.5},  {1, 50, 0},     {1, 100, 99},    {2, 0, 251.5},
      {2, 45, 296.5}, {2, 90, 340.5}, {2, 110, 0},    {2, 155, 43.5},  {2, 220, 108},
      {3, 0, 261.5},  {3, 20, 301.5}, {3, 40, 340},   {3, 60, 19.5},   {3, 80, 58.5},
      {3, 105, 108},  {4, 0, 261.5},  {4, 60, 301.5}, {4, 100, 328.5}, {4, 150, 0},
      {4, 200, 31},   {4, 300, 99},   {4, -5, 261.5}, {4, 400, 99},    {2, 500, 108},
  };
  for (const Row& row : rows) {
    EXPECT_DOUBLE_EQ(NeedleAngle(row.kind, row.value), row.angle)
        << "kind " << row.kind << " value " << row.value;
  }
  // Between the rows the needle turns clockwise by a few degrees per unit,
  // on the speed meter's km/h and mph dials alike.
  for (const SpeedUnit unit : {SpeedUnit::kKmh, SpeedUnit::kMph}) {
    for (int kind = 0; kind < kMeterKindCount; ++kind) {
      for (int value = 1; value <= MeterRangeMax(kind, unit); ++value) {
        const double turn = std::fmod(
            NeedleAngle(kind, value, unit) - NeedleAngle(kind, value - 1, unit) + 360.0, 360.0);
        EXPECT_GT(turn, 0.3) << kind << ' ' << value;
        EXPECT_LT(turn, 2.5) << kind << ' ' << value;
      }
    }
  }
  EXPECT_EQ(MeterRangeMax(kMeterSpeed, SpeedUnit::kMph), 180);
  EXPECT_EQ(MeterRangeMax(kMeterCoolant, SpeedUnit::kMph), 105) << "only the speed has a unit";
}

}  // namespace
