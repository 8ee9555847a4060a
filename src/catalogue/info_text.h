#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/speed_unit.h"
#include "container/sensor_records.h"

// What the information panel shows for the frame on screen, and the text
// rules it writes them by. The main window pushes these on every playback
// tick; a rendered clip writes the same texts over its pictures. The
// "absent" values are the no-data marks: G values -5.0, speed -1.0,
// frame -1.
struct InfoValues {
  double accelX = -5.0;
  double accelY = -5.0;
  double accelZ = -5.0;
  double speed = -1.0;
  std::int32_t fixValid = 0;
  std::int32_t frame = -1;
  float frameTime = 0;  // the player's frame unit in milliseconds
  std::int64_t frameCount = 0;
  std::int32_t quality = 0;
  std::int32_t eventWord = -1;  // the event of the acceleration record
  CalendarTime startTime;
  std::int32_t hasStart = 0;
  std::int64_t timeOffset = 0;            // seconds added to the recorder's clock
  SpeedUnit speedUnit = SpeedUnit::kKmh;  // the unit the speed is shown in
};

// Each rule returns nothing where the panel draws its placeholder instead.

// "%02d/%02d/%02d %02d:%02d:%02d" of the start time plus frame x frameTime
// milliseconds plus the clock's offset (seconds truncated); a year of 2050 or
// later is written 35 years earlier. Nothing without a start time, before
// frame 0, or when the time comes out as zero or in year 0.
std::optional<std::string> InfoDateTime(const InfoValues& values);

// "%.0f " of min(speed in the values' unit, 999) while the position is fixed
// and the speed is not negative.
std::optional<std::string> InfoSpeed(const InfoValues& values);

// "%.2fG" of the value truncated toward zero to whole hundredths, for
// values above -5. The hundredths come from the value's whole milli-G, so
// the text is exact; a value that truncates to zero shows "0.00G".
std::optional<std::string> InfoAccel(double value);

// A length of playing time in whole seconds, truncated: "0:23", "12:05",
// "1:02:03" from an hour on; a negative time is "0:00".
std::string PlayTimeText(std::int64_t milliseconds);
