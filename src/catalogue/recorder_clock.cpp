#include "catalogue/recorder_clock.h"

#include <algorithm>

std::optional<std::tm> CorrectedLocalTime(const CalendarTime& time, std::int64_t offsetSeconds) {
  if (time == CalendarTime{}) return std::nullopt;
  std::tm local = time.ToTm();
  // A century either way is more than any clock is off.
  constexpr std::int64_t kMaxOffset = std::int64_t{100} * 366 * 24 * 3600;
  local.tm_sec += static_cast<int>(std::clamp(offsetSeconds, -kMaxOffset, kMaxOffset));
  const std::time_t normal = timegm(&local);  // normalises the fields, no zone involved
  if (normal == static_cast<std::time_t>(-1) || gmtime_r(&normal, &local) == nullptr) {
    return std::nullopt;
  }
  return local;
}

std::optional<std::int64_t> LocalToUtcSeconds(const std::tm& local) {
  std::tm copy = local;
  copy.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&copy);
  if (stamp == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<std::int64_t>(stamp);
}

std::string UtcTenthsText(std::int64_t tenths) {
  constexpr int kTenthsPerSecond = 10;
  const auto seconds = static_cast<std::time_t>(tenths / kTenthsPerSecond);
  std::tm utc{};
  if (gmtime_r(&seconds, &utc) == nullptr) return "";
  char text[40];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  return std::string(text, length) + '.' + static_cast<char>('0' + tenths % kTenthsPerSecond) + 'Z';
}
