// Coordinates as the receiver writes them, and the degrees the text stands for.
#include "mkcard/coordinate_text.h"

#include <gtest/gtest.h>

TEST(CoordinateText, WritesDegreesAndMinutes) {
  const struct {
    double degrees;
    int digits;
    const char* text;
  } cases[] = {
      {35.66872333, 2, "3540.1234"}, {-35.66872333, 2, "3540.1234"}, {139.7454, 3, "13944.7240"},
      {0.0, 2, "0000.0000"},         {0.0000005, 3, "00000.0000"},   {51.99999999, 2, "5200.0000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mkcard::CoordinateText(c.degrees, c.digits), c.text) << c.degrees;
  }
}

TEST(CoordinateText, DecodesWithTheHemisphereByte) {
  EXPECT_NEAR(mkcard::DecodedCoordinate("3540.1234", 'N'), 35.668723333, 1e-9);
  EXPECT_NEAR(mkcard::DecodedCoordinate("3540.1234", 0), -35.668723333, 1e-9);
  EXPECT_NEAR(mkcard::DecodedCoordinate("13944.7240", 'E'), 139.7454, 1e-9);
  EXPECT_EQ(mkcard::DecodedCoordinate("", 'N'), 0.0);
  // Text written from decoded degrees gives the same text again.
  const double decoded = mkcard::DecodedCoordinate("5128.6740", 'N');
  EXPECT_EQ(mkcard::CoordinateText(decoded, 2), "5128.6740");
}
