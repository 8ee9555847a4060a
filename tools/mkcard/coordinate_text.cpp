#include "mkcard/coordinate_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace mkcard {

std::string CoordinateText(double degrees, int degreeDigits) {
  // Work in ten-thousandths of a minute so that rounding can carry into the degrees.
  const auto units = static_cast<std::int64_t>(std::llround(std::fabs(degrees) * 60.0 * 10000.0));
  const auto whole = static_cast<int>(units / 600000);
  const auto minutes = static_cast<int>((units % 600000) / 10000);
  const auto fraction = static_cast<int>(units % 10000);
  char text[24];
  std::snprintf(text, sizeof text, "%0*d%02d.%04d", degreeDigits, whole, minutes, fraction);
  return text;
}

double DecodedCoordinate(const std::string& text, unsigned char hemisphere) {
  double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  const double degrees =
      std::fmod(v, 100.0) / 60.0 + static_cast<double>(static_cast<std::int64_t>(v) / 100);
  return hemisphere != 0 ? degrees : -degrees;
}

}  // namespace mkcard
