#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace mkcard {

// A local date and time as the recorder's clock writes it (bytes 31-42 of a
// record: YYMMDDhhmmss). `year` is the full year (2000 + YY).
struct LocalClock {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;

  friend bool operator==(const LocalClock&, const LocalClock&) = default;
};

// One 124-byte sensor record, holding the values exactly as they were
// written, so that a reader can be checked field by field against them.
struct SensorSample {
  int number = 0;    // bytes 0-4: the record number within the file, mod 100000
  bool fix = false;  // byte 5: 'A' when true, 'V' when false
  // Signed degrees exactly as the written ddmm.mmmm / dddmm.mmmm text decodes:
  // (v mod 100) / 60 + trunc(v) / 100 (integer division), negative when the
  // hemisphere byte is 0x00. Without a fix the receiver repeats its last fixed
  // position (the car stands in a tunnel as far as the text goes).
  double latitude = 0;
  double longitude = 0;
  std::uint8_t latitudeHemisphere = 0;         // byte 15: 'N', or 0x00 for south
  std::uint8_t longitudeHemisphere = 0;        // byte 26: 'E', or 0x00 for west
  int speed = 0;                               // bytes 27-30: km/h
  LocalClock clock;                            // bytes 31-42: the recorder's clock
  int addSeconds = -1;                         // bytes 44-46; -1 when byte 44 is '*'
  int gx = 0;                                  // bytes 57-61: milli-G
  int gy = 0;                                  // bytes 62-66
  int gz = 0;                                  // bytes 67-71
  char userPoint = 'N';                        // byte 72: 'D' marks a user point
  char axis = 'N';                             // byte 73: 'X', 'Y' or 'Z' at an impact peak
  char eventLetter = 'N';                      // byte 74: drive-assist warning 'A', 'B' or 'H'
  char emergencyStop = 'N';                    // byte 75: 'D' marks an emergency stop
  char parking = 'N';                          // byte 76: 'D' marks parking watch
  char speeding = 'N';                         // byte 77: 'D' while over the speed limit
  std::array<std::uint8_t, 4> vehicleBytes{};  // bytes 78-81
  // Bytes 82-111, each word little-endian. Word 0 coolant (deg C + 40),
  // 1 manifold pressure (kPa), 2 rpm, 3 speed (km/h), 7 throttle (0.1 %);
  // the others 0. kMissingWord where the car gave no value.
  std::array<std::uint16_t, 15> vehicleWords{};
  bool manualMark = false;  // byte 122: 'M' when true

  friend bool operator==(const SensorSample&, const SensorSample&) = default;
};

// Two ASCII blanks: the recorder's mark for a vehicle value it did not get.
inline constexpr std::uint16_t kMissingWord = 0x2020;

}  // namespace mkcard
