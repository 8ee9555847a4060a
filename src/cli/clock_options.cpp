#include "cli/clock_options.h"

#include <charconv>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string_view>

namespace {

// Points the process's local zone at an IANA zone of the system's zone
// database; false when the database has no such zone.
bool UseTimeZone(const std::string& zone) {
  const char* database = std::getenv("TZDIR");
  const std::filesystem::path folder = database != nullptr ? database : "/usr/share/zoneinfo";
  std::error_code error;
  if (zone.empty() || zone.front() == '/' || zone.find("..") != std::string::npos ||
      !std::filesystem::is_regular_file(folder / zone, error)) {
    return false;
  }
  setenv("TZ", zone.c_str(), 1);
  tzset();
  return true;
}

}  // namespace

ClockOption ReadClockOption(std::span<char* const> args, std::size_t& i,
                            std::int64_t* offsetSeconds) {
  const std::string_view option = args[i];
  if (option != "--time-zone" && option != "--time-offset") return ClockOption::kNotOne;
  if (i + 1 >= args.size()) return ClockOption::kBadValue;
  const std::string_view value = args[++i];
  if (option == "--time-zone") {
    return UseTimeZone(std::string(value)) ? ClockOption::kRead : ClockOption::kUnknownZone;
  }
  const char* end = value.data() + value.size();
  const auto parsed =
      std::from_chars(value.data() + (value.starts_with('+') ? 1 : 0), end, *offsetSeconds);
  return value.empty() || parsed.ec != std::errc{} || parsed.ptr != end ? ClockOption::kBadValue
                                                                        : ClockOption::kRead;
}
