#include "catalogue/info_text.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Dates at or after this year are the recorder's clock running 35 years
// ahead; they are shown 35 years earlier.
constexpr int kLateYear = 2050;
constexpr int kYearShift = 35;
constexpr double kNoAccel = -5.0;

template <typename... Args>
std::string Printed(const char* format, Args... args) {
  char text[64];
  const int length = std::snprintf(text, sizeof text, format, args...);
  return std::string(text, static_cast<std::size_t>(std::clamp(length, 0, 63)));
}

}  // namespace

std::optional<std::string> InfoDateTime(const InfoValues& v) {
  using namespace std::chrono;
  if (v.hasStart == 0 || v.frame < 0) return std::nullopt;
  const CalendarTime& s = v.startTime;
  const year_month_day date{year{s.year}, month{s.month}, day{s.day}};
  if (s.year == 0 || !date.ok() || s.hour > 23 || s.minute > 59 || s.second > 59 ||
      s.millisecond > 999) {
    return std::nullopt;
  }
  // Calendar arithmetic without time zones, as the recorder's clock counts.
  const auto offsetMs =
      static_cast<std::int64_t>(std::floor(v.frame * static_cast<double>(v.frameTime)));
  const sys_time<milliseconds> shown = sys_days{date} + hours{s.hour} + minutes{s.minute} +
                                       seconds{s.second} + milliseconds{s.millisecond} +
                                       milliseconds{offsetMs} + seconds{v.timeOffset};
  const sys_days day = floor<days>(shown);
  const year_month_day shownDate{day};
  if (static_cast<int>(shownDate.year()) <= 0) return std::nullopt;
  const hh_mm_ss clock{floor<seconds>(shown - day)};
  int shownYear = static_cast<int>(shownDate.year());
  if (shownYear >= kLateYear) shownYear -= kYearShift;
  return Printed("%02d/%02d/%02d %02d:%02d:%02d", shownYear,
                 static_cast<unsigned>(shownDate.month()), static_cast<unsigned>(shownDate.day()),
                 static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                 static_cast<int>(clock.seconds().count()));
}

std::optional<std::string> InfoSpeed(const InfoValues& v) {
  if (v.fixValid == 0 || v.speed < 0) return std::nullopt;
  return ShownSpeedText(v.speedUnit, v.speed) + ' ';
}

std::optional<std::string> InfoAccel(double value) {
  if (!(value > kNoAccel)) return std::nullopt;
  // The recorder writes whole milli-G; the hundredths are cut from that
  // integer, so a recorded 0.29 does not come out as 0.28 in binary.
  const long long milli = std::llround(value * 1000.0);
  const long long hundredths = milli / 10;  // truncates toward zero
  const long long whole = std::llabs(hundredths);
  return Printed("%s%lld.%02lldG", hundredths < 0 ? "-" : "", whole / 100, whole % 100);
}

std::string PlayTimeText(std::int64_t milliseconds) {
  const long long seconds = std::max<std::int64_t>(milliseconds, 0) / 1000;
  if (seconds < 3600) return Printed("%lld:%02lld", seconds / 60, seconds % 60);
  return Printed("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}
