#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>

// The recorder's sensor atom `udat` holds "CSMDAT", a 26-byte header block,
// a 16-bit big-endian record count N, N records of 124 ASCII bytes (ten a
// second) and "CSMEND".
inline constexpr std::size_t kSensorRecordSize = 124;
inline constexpr std::size_t kSensorHeaderOffset = 6;    // header block, after "CSMDAT"
inline constexpr std::size_t kSensorCountOffset = 32;    // the record count
inline constexpr std::size_t kSensorRecordsOffset = 34;  // the first record
inline constexpr std::int32_t kRecordIntervalMs = 100;

// The number of whole records a `udat` content of this size holds, whatever
// its count field claims.
inline constexpr std::uint64_t SensorRecordsThatFit(std::uint64_t contentSize) {
  return contentSize < kSensorRecordsOffset
             ? 0
             : (contentSize - kSensorRecordsOffset) / kSensorRecordSize;
}

// A local date and time (all fields zero when no time was formed).
struct CalendarTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t weekday = 0;  // 0 = Sunday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t millisecond = 0;

  bool operator==(const CalendarTime&) const = default;

  // The same time as a C calendar time (local time, daylight saving left
  // for mktime to find).
  std::tm ToTm() const {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_wday = weekday;
    t.tm_isdst = -1;
    return t;
  }
};

struct AccelRecord;
struct VehicleRecord;

// The position part of a record.
struct PositionRecord {
  std::int32_t sequence = 0;  // record number within the file
  // sequence x 100 ms after decoding; the record's first frame after frame
  // mapping.
  std::int32_t frame = 0;
  std::int32_t valid = 0;            // 1 when the fix status is 'A'
  AccelRecord* accel = nullptr;      // set by frame mapping
  VehicleRecord* vehicle = nullptr;  // set by frame mapping
  std::int32_t reserved = 0;
  double latitude = 0;   // degrees
  double longitude = 0;  // degrees
  double speed = 0;      // km/h
  double direction = 0;  // always 0 from the recorder's records
  CalendarTime time;
};

// The acceleration part of a record.
struct AccelRecord {
  std::int32_t sequence = 0;
  std::int32_t event = -1;             // 5, 6, 7, 9, 10, 11 or -1
  std::int32_t flag8 = 0;              // 8 or 0
  std::int32_t axis = 0;               // 0 none, 1 X, 2 Y, 3 Z
  std::int32_t frame = 0;              // as in PositionRecord
  std::int32_t manual = 0;             // 1 for a manual mark
  PositionRecord* position = nullptr;  // set by frame mapping
  VehicleRecord* vehicle = nullptr;    // set by frame mapping
  double x = 0;                        // G
  double y = 0;
  double z = 0;
};

// The vehicle (OBD) part of a record, copied unchanged.
struct VehicleRecord {
  std::int32_t sequence = 0;
  std::array<std::uint8_t, 4> bytes{};
  std::array<std::uint16_t, 15> words{};  // little-endian 16-bit words in record order
};

// The recorder's settings from the header block.
struct TrackHeader {
  std::array<float, 4> numbers{-1.0f, -1.0f, -1.0f, -1.0f};  // the header's numbers / 1000
  char mode = 0;                                             // 'M' or 'D'
  std::array<char, 6> version{};  // firmware version, three two-digit numbers
  char quality = 0;               // 'H' marks high picture quality
  char byte24 = 0;
  bool decoded = false;  // false when the mode was neither 'M' nor 'D'
};
