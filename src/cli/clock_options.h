#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The options of the commands that write the recorder's times:
// --time-zone ZONE (the IANA zone the recorder's clock is in; it becomes
// the process's local zone) and --time-offset SECONDS (added to the
// recorder's clock).
enum class ClockOption { kNotOne, kRead, kBadValue, kUnknownZone };

// Reads args[i] and its value when it is one of them, moving i onto the
// value.
ClockOption ReadClockOption(std::span<char* const> args, std::size_t& i,
                            std::int64_t* offsetSeconds);

// The usage text of the options.
inline constexpr const char* kClockUsage = "[--time-zone ZONE] [--time-offset SECONDS]";
