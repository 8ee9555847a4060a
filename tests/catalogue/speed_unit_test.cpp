#include "catalogue/speed_unit.h"

#include <gtest/gtest.h>

namespace {

TEST(SpeedUnit, ShownSpeedsInKmhAndMph) {
  struct Case {
    SpeedUnit unit;
    double kmh;
    const char* shown;
  };
  const Case cases[] = {
      {SpeedUnit::kKmh, 0, "0"},       {SpeedUnit::kKmh, 1, "1"},
      {SpeedUnit::kKmh, 100, "100"},   {SpeedUnit::kKmh, 180, "180"},
      {SpeedUnit::kKmh, 0.5, "0"},     {SpeedUnit::kKmh, 1.5, "2"},
      {SpeedUnit::kKmh, 999.4, "999"}, {SpeedUnit::kKmh, 1500, "999"},
      {SpeedUnit::kMph, 0, "0"},       {SpeedUnit::kMph, 1, "1"},
      {SpeedUnit::kMph, 100, "62"},    {SpeedUnit::kMph, 180, "112"},
      {SpeedUnit::kMph, 300, "186"},   {SpeedUnit::kMph, 1609.344, "999"},
      {SpeedUnit::kMph, 2000, "999"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShownSpeedText(c.unit, c.kmh), c.shown) << SpeedUnitLabel(c.unit) << ' ' << c.kmh;
    EXPECT_EQ(ShownSpeed(c.unit, c.kmh), std::stod(c.shown)) << c.kmh;
  }
  EXPECT_DOUBLE_EQ(SpeedIn(SpeedUnit::kMph, 160.9344), 100.0);
  EXPECT_STREQ(SpeedUnitLabel(SpeedUnit::kKmh), "km/h");
  EXPECT_STREQ(SpeedUnitLabel(SpeedUnit::kMph), "mph");
}

}  // namespace
