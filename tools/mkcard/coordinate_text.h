#pragma once

#include <string>

namespace mkcard {

// Writes |degrees| as the receiver does: "ddmm.mmmm" (2 degree digits) or
// "dddmm.mmmm" (3 degree digits), minutes rounded to four decimals.
std::string CoordinateText(double degrees, int degreeDigits);

// Returns the degrees that the text decodes to: v = the text's value,
// (v mod 100) / 60 + trunc(v) / 100 (integer division), negated when the
// hemisphere byte is 0x00.
double DecodedCoordinate(const std::string& text, unsigned char hemisphere);

}  // namespace mkcard
