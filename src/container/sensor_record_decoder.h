#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "container/sensor_records.h"

// The 124 bytes of one sensor record.
using SensorRecordBytes = std::span<const std::uint8_t, kSensorRecordSize>;

// Parses the leading decimal number of a fixed-width text field in the C
// locale: blanks, an optional sign, digits with an optional point. An empty
// or non-numeric field gives 0. Exponents, hexadecimal, "inf" and "nan" are
// not taken, so a garbled field cannot turn into a non-finite value.
double ParseDecimal(std::span<const std::uint8_t> field);

// Degrees from a `ddmm.mmmm` / `dddmm.mmmm` field: (v mod 100) / 60 plus the
// whole hundreds of v; negative when the hemisphere byte is zero.
double DecodeCoordinate(std::span<const std::uint8_t> field, std::uint8_t hemisphere);

// The record's local date and time: the 12 date and time digits (year
// 2000 + YY) taken as local time, plus the seconds of bytes 44-46 unless
// byte 44 is '*'. All zero when the digits do not form a valid date and time.
CalendarTime DecodeRecordTime(SensorRecordBytes record);

// Decodes the record times of one track. It remembers the last clock text
// and its time: the ten records of a second carry the same text, and turning
// a local time into a time stamp and back is the costly part of decoding.
class RecordTimeDecoder {
 public:
  CalendarTime Decode(SensorRecordBytes record);

 private:
  std::array<std::uint8_t, 15> lastText_{};  // bytes 31-42 and 44-46
  CalendarTime lastTime_;
  bool hasLast_ = false;
};

PositionRecord DecodePositionRecord(SensorRecordBytes record, std::int32_t sequence,
                                    RecordTimeDecoder& times);
// The acceleration part with the manual mark of byte 122.
AccelRecord DecodeAccelRecord(SensorRecordBytes record, std::int32_t sequence);
VehicleRecord DecodeVehicleRecord(SensorRecordBytes record, std::int32_t sequence);

// Decodes the header block that starts `blocks` (the payload after
// "CSMDAT", up to the end of the atom), following continuation blocks
// 34 bytes apart while a block's bytes 30-33 are '@', 'C', 'S' and an
// upper-case letter. Reads only inside `blocks`.
TrackHeader DecodeTrackHeader(std::span<const std::uint8_t> blocks);
