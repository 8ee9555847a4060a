#include "container/sensor_record_decoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <string>

namespace {

// Field positions inside a record.
constexpr std::size_t kFixStatus = 5;
constexpr std::size_t kLatitude = 6, kLatitudeLength = 9, kLatitudeHemisphere = 15;
constexpr std::size_t kLongitude = 16, kLongitudeLength = 10, kLongitudeHemisphere = 26;
constexpr std::size_t kSpeed = 27, kSpeedLength = 4;
constexpr std::size_t kDateTime = 31;  // YYMMDDhhmmss
constexpr std::size_t kAddSeconds = 44, kAddSecondsLength = 3;
constexpr std::size_t kAccelX = 57, kAccelLength = 5;
constexpr std::size_t kFlag5 = 72, kAxis = 73, kEventLetter = 74, kFlag6 = 75, kFlag7 = 76,
                      kFlag8 = 77;
constexpr std::size_t kVehicleBytes = 78, kVehicleWords = 82;
constexpr std::size_t kManualMark = 122;

// Header block positions.
constexpr std::size_t kHeaderNumberLength = 4;
constexpr std::size_t kHeaderMode = 16, kHeaderVersion = 17, kHeaderQuality = 23,
                      kHeaderByte24 = 24;
constexpr std::size_t kHeaderBlockRead = 25;  // bytes 0-24 are read
constexpr std::size_t kHeaderContinuation = 30;
constexpr std::size_t kHeaderBlockStride = 34;

bool IsBlank(std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

int TwoDigits(SensorRecordBytes record, std::size_t at) {
  return static_cast<int>(ParseDecimal(record.subspan(at, 2)));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

double ParseDecimal(std::span<const std::uint8_t> field) {
  std::size_t at = 0;
  while (at < field.size() && IsBlank(field[at])) ++at;
  std::string text;
  if (at < field.size() && (field[at] == '+' || field[at] == '-')) {
    if (field[at] == '-') text.push_back('-');
    ++at;
  }
  bool digits = false;
  bool point = false;
  for (; at < field.size(); ++at) {
    const std::uint8_t c = field[at];
    if (IsDigit(c)) {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    text.push_back(static_cast<char>(c));
  }
  if (!digits) return 0;
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return value;
}

double DecodeCoordinate(std::span<const std::uint8_t> field, std::uint8_t hemisphere) {
  const double v = ParseDecimal(field);
  const double degrees =
      std::fmod(v, 100.0) / 60.0 + static_cast<double>(static_cast<std::int64_t>(v) / 100);
  return hemisphere != 0 ? degrees : -degrees;
}

CalendarTime DecodeRecordTime(SensorRecordBytes record) {
  const int year = 2000 + TwoDigits(record, kDateTime);
  const int month = TwoDigits(record, kDateTime + 2);
  const int day = TwoDigits(record, kDateTime + 4);
  const int hour = TwoDigits(record, kDateTime + 6);
  const int minute = TwoDigits(record, kDateTime + 8);
  const int second = TwoDigits(record, kDateTime + 10);
  if (year < 2000 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return {};
  }
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  std::time_t stamp = std::mktime(&local);
  if (stamp == static_cast<std::time_t>(-1)) return {};
  if (record[kAddSeconds] != '*') {
    stamp += static_cast<std::time_t>(ParseDecimal(record.subspan(kAddSeconds, kAddSecondsLength)));
  }
  std::tm out{};
  if (localtime_r(&stamp, &out) == nullptr) return {};
  CalendarTime time;
  time.year = static_cast<std::uint16_t>(out.tm_year + 1900);
  time.month = static_cast<std::uint16_t>(out.tm_mon + 1);
  time.weekday = static_cast<std::uint16_t>(out.tm_wday);
  time.day = static_cast<std::uint16_t>(out.tm_mday);
  time.hour = static_cast<std::uint16_t>(out.tm_hour);
  time.minute = static_cast<std::uint16_t>(out.tm_min);
  time.second = static_cast<std::uint16_t>(out.tm_sec);
  return time;
}

CalendarTime RecordTimeDecoder::Decode(SensorRecordBytes record) {
  std::array<std::uint8_t, 15> text;
  const auto clock = record.subspan(kDateTime, 12);
  const auto seconds = record.subspan(kAddSeconds, kAddSecondsLength);
  std::copy(clock.begin(), clock.end(), text.begin());
  std::copy(seconds.begin(), seconds.end(), text.begin() + 12);
  if (!hasLast_ || text != lastText_) {
    lastText_ = text;
    lastTime_ = DecodeRecordTime(record);
    hasLast_ = true;
  }
  return lastTime_;
}

PositionRecord DecodePositionRecord(SensorRecordBytes record, std::int32_t sequence,
                                    RecordTimeDecoder& times) {
  PositionRecord position;
  position.sequence = sequence;
  position.frame = sequence * kRecordIntervalMs;
  position.valid = record[kFixStatus] == 'A' ? 1 : 0;
  position.latitude =
      DecodeCoordinate(record.subspan(kLatitude, kLatitudeLength), record[kLatitudeHemisphere]);
  position.longitude =
      DecodeCoordinate(record.subspan(kLongitude, kLongitudeLength), record[kLongitudeHemisphere]);
  position.speed = ParseDecimal(record.subspan(kSpeed, kSpeedLength));
  position.time = times.Decode(record);
  return position;
}

AccelRecord DecodeAccelRecord(SensorRecordBytes record, std::int32_t sequence) {
  AccelRecord accel;
  accel.sequence = sequence;
  accel.frame = sequence * kRecordIntervalMs;
  accel.x = ParseDecimal(record.subspan(kAccelX, kAccelLength)) / 1000.0;
  accel.y = ParseDecimal(record.subspan(kAccelX + kAccelLength, kAccelLength)) / 1000.0;
  accel.z = ParseDecimal(record.subspan(kAccelX + 2 * kAccelLength, kAccelLength)) / 1000.0;
  switch (record[kAxis]) {
    case 'X':
      accel.axis = 1;
      break;
    case 'Y':
      accel.axis = 2;
      break;
    case 'Z':
      accel.axis = 3;
      break;
    default:
      accel.axis = 0;
      break;
  }
  if (record[kFlag6] == 'D') {
    accel.event = 6;
  } else if (record[kFlag5] == 'D') {
    accel.event = 5;
  } else if (record[kFlag7] == 'D') {
    accel.event = 7;
  } else {
    switch (record[kEventLetter]) {
      case 'A':
        accel.event = 10;
        break;
      case 'B':
        accel.event = 11;
        break;
      case 'H':
        accel.event = 9;
        break;
      default:
        accel.event = -1;
        break;
    }
  }
  accel.flag8 = record[kFlag8] == 'D' ? 8 : 0;
  accel.manual = record[kManualMark] == 'M' ? 1 : 0;
  return accel;
}

VehicleRecord DecodeVehicleRecord(SensorRecordBytes record, std::int32_t sequence) {
  VehicleRecord vehicle;
  vehicle.sequence = sequence;
  for (std::size_t i = 0; i < vehicle.bytes.size(); ++i)
    vehicle.bytes[i] = record[kVehicleBytes + i];
  for (std::size_t i = 0; i < vehicle.words.size(); ++i) {
    const std::size_t at = kVehicleWords + 2 * i;
    vehicle.words[i] = static_cast<std::uint16_t>(record[at] | (record[at + 1] << 8));
  }
  return vehicle;
}

TrackHeader DecodeTrackHeader(std::span<const std::uint8_t> blocks) {
  TrackHeader header;
  std::size_t at = 0;
  while (at + kHeaderBlockRead <= blocks.size()) {
    const std::span<const std::uint8_t> block = blocks.subspan(at);
    const std::uint8_t mode = block[kHeaderMode];
    if (mode != 'M' && mode != 'D') {
      header.numbers = {-1.0f, -1.0f, -1.0f, -1.0f};
      header.decoded = false;
      return header;
    }
    for (std::size_t i = 0; i < header.numbers.size(); ++i) {
      header.numbers[i] = static_cast<float>(
          ParseDecimal(block.subspan(i * kHeaderNumberLength, kHeaderNumberLength)) / 1000.0);
    }
    header.mode = static_cast<char>(mode);
    for (std::size_t i = 0; i < header.version.size(); ++i) {
      header.version[i] = static_cast<char>(block[kHeaderVersion + i]);
    }
    header.quality = static_cast<char>(block[kHeaderQuality]);
    header.byte24 = static_cast<char>(block[kHeaderByte24]);
    header.decoded = true;
    const bool continues =
        at + kHeaderBlockStride <= blocks.size() && block[kHeaderContinuation] == '@' &&
        block[kHeaderContinuation + 1] == 'C' && block[kHeaderContinuation + 2] == 'S' &&
        block[kHeaderContinuation + 3] >= 'A' && block[kHeaderContinuation + 3] <= 'Z';
    if (!continues) break;
    at += kHeaderBlockStride;
  }
  return header;
}
