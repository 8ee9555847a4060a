#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "container/sensor_records.h"

// The recorder writes its local time without a zone, and its clock drifts.
// These read a record's time corrected by an offset (seconds added to the
// recorder's clock) and, for exports that need an absolute time, in the
// process's local zone (TZ), which the caller points at the zone the
// recorder's clock is in.

// The record's time plus the offset, still local; nothing for a record
// without a time.
std::optional<std::tm> CorrectedLocalTime(const CalendarTime& time, std::int64_t offsetSeconds);

// That local time read in the process's zone, as seconds since the epoch;
// nothing when it cannot be had.
std::optional<std::int64_t> LocalToUtcSeconds(const std::tm& local);

// "YYYY-MM-DDThh:mm:ss.tZ" for a time in tenths of a second since the epoch.
std::string UtcTenthsText(std::int64_t tenths);
