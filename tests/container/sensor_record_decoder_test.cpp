#include "container/sensor_record_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "atom_builder.h"

namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

SensorRecordBytes Record(const std::string& record) {
  return SensorRecordBytes(reinterpret_cast<const std::uint8_t*>(record.data()), kSensorRecordSize);
}

class SensorRecordDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
  }
};

TEST_F(SensorRecordDecoderTest, ParseDecimalTakesTheLeadingNumber) {
  struct Case {
    std::string_view field;
    double value;
  };
  const std::vector<Case> cases = {
      {"3540.1234", 3540.1234},
      {"0042", 42},
      {"  12", 12},
      {"-0123", -123},
      {"+5", 5},
      {"", 0},
      {"AB", 0},
      {"1A2", 1},
      {"12.3.4", 12.3},
      {"1e5", 1},
      {"inf", 0},
      {"nan", 0},
      {"0x1F", 0},
      {"\xff\xfe", 0},
      {"-", 0},
      {".5", 0.5},
      {"- 5", 0},
      {"99999", 99999},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ParseDecimal(Bytes(c.field)), c.value) << c.field;
}

TEST_F(SensorRecordDecoderTest, Coordinates) {
  EXPECT_NEAR(DecodeCoordinate(Bytes("3540.1234"), 'N'), 35.668723333333, 1e-9);
  EXPECT_NEAR(DecodeCoordinate(Bytes("3540.1234"), 0), -35.668723333333, 1e-9);
  // Any non-zero hemisphere byte is positive, even 'S'.
  EXPECT_NEAR(DecodeCoordinate(Bytes("3540.1234"), 'S'), 35.668723333333, 1e-9);
  EXPECT_NEAR(DecodeCoordinate(Bytes("13945.6789"), 'E'), 139.761315, 1e-9);
  EXPECT_DOUBLE_EQ(DecodeCoordinate(Bytes("         "), 'N'), 0.0);
}

TEST_F(SensorRecordDecoderTest, PositionPart) {
  std::string record = atoms::SampleRecord(7);
  RecordTimeDecoder times;
  const PositionRecord position = DecodePositionRecord(Record(record), 7, times);
  EXPECT_EQ(position.sequence, 7);
  EXPECT_EQ(position.frame, 700);
  EXPECT_EQ(position.valid, 1);
  EXPECT_NEAR(position.latitude, 35.668723333333, 1e-9);
  EXPECT_NEAR(position.longitude, 139.761315, 1e-9);
  EXPECT_DOUBLE_EQ(position.speed, 42);
  EXPECT_DOUBLE_EQ(position.direction, 0);
  EXPECT_EQ(position.accel, nullptr);

  record[5] = 'V';
  record[15] = 0;
  record[26] = 0;
  const PositionRecord south = DecodePositionRecord(Record(record), 0, times);
  EXPECT_EQ(south.valid, 0);
  EXPECT_LT(south.latitude, 0);
  EXPECT_LT(south.longitude, 0);
}

TEST_F(SensorRecordDecoderTest, RecordTime) {
  struct Case {
    std::string_view dateTime;
    std::string_view addSeconds;
    CalendarTime time;
  };
  const std::vector<Case> cases = {
      {"230815143000", "*  ", {2023, 8, 2, 15, 14, 30, 0, 0}},
      {"230815143000", "*15", {2023, 8, 2, 15, 14, 30, 0, 0}},  // '*' wins over digits
      {"230815143000", "015", {2023, 8, 2, 15, 14, 30, 15, 0}},
      {"231231235959", "001", {2024, 1, 1, 1, 0, 0, 0, 0}},
      {"240229120000", "   ", {2024, 2, 4, 29, 12, 0, 0, 0}},
      {"230229120000", "*  ", {}},  // no 29 February in 2023
      {"231301000000", "*  ", {}},
      {"230800000000", "*  ", {}},
      {"230815240000", "*  ", {}},
      {"000000000000", "*  ", {}},
      {"AB0815143000", "*  ", {2000, 8, 2, 15, 14, 30, 0, 0}},  // year digits garbled to 00
      {"23\xff\xff"
       "15143000",
       "*  ",
       {}},
  };
  for (const Case& c : cases) {
    std::string record = atoms::SampleRecord(0, c.dateTime);
    atoms::Put(record, 44, c.addSeconds);
    EXPECT_EQ(DecodeRecordTime(Record(record)), c.time) << c.dateTime << " " << c.addSeconds;
  }
}

// The decoder of a track answers each record by its own clock text, however
// the texts follow each other.
TEST_F(SensorRecordDecoderTest, RecordTimeDecoderRemembersOnlyTheSameText) {
  std::vector<std::string> records = {
      atoms::SampleRecord(0, "230815143000"), atoms::SampleRecord(1, "230815143000"),
      atoms::SampleRecord(2, "230815143000"), atoms::SampleRecord(3, "230815143001"),
      atoms::SampleRecord(4, "230815143000"), atoms::SampleRecord(5, "991301000000"),
      atoms::SampleRecord(6, "230815143000")};
  atoms::Put(records[2], 44, "015");
  records[4][43] = 'x';  // byte 43 is not read
  RecordTimeDecoder times;
  for (const std::string& record : records) {
    EXPECT_EQ(times.Decode(Record(record)), DecodeRecordTime(Record(record)))
        << record.substr(31, 16);
  }
  EXPECT_EQ(times.Decode(Record(records[2])).second, 15);
  EXPECT_EQ(times.Decode(Record(records[5])), CalendarTime{});
}

// The added seconds are added to the local time as a time stamp: across
// the start of summer time in New York, 01:59:50 + 15 s is 03:00:05.
TEST_F(SensorRecordDecoderTest, RecordTimeIsLocalTime) {
  std::string record = atoms::SampleRecord(0, "230312015950");
  atoms::Put(record, 44, "015");
  setenv("TZ", "America/New_York", 1);
  tzset();
  const CalendarTime summer = DecodeRecordTime(Record(record));
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  EXPECT_EQ(summer, (CalendarTime{2023, 3, 0, 12, 3, 0, 5, 0}));
  EXPECT_EQ(DecodeRecordTime(Record(record)), (CalendarTime{2023, 3, 0, 12, 2, 0, 5, 0}));
}

TEST_F(SensorRecordDecoderTest, EventCodePriority) {
  struct Case {
    char flag5, letter, flag6, flag7;  // bytes 72, 74, 75, 76
    std::int32_t event;
  };
  const std::vector<Case> cases = {
      {'D', 'A', 'D', 'D', 6},  {'D', 'A', 'N', 'D', 5},  {'N', 'A', 'N', 'D', 7},
      {'N', 'A', 'N', 'N', 10}, {'N', 'B', 'N', 'N', 11}, {'N', 'H', 'N', 'N', 9},
      {'N', 'N', 'N', 'N', -1}, {'N', 'a', 'N', 'N', -1}, {'d', 'X', 'd', 'd', -1},
      {'N', 'H', 'D', 'N', 6},
  };
  for (const Case& c : cases) {
    std::string record = atoms::SampleRecord(0);
    record[72] = c.flag5;
    record[74] = c.letter;
    record[75] = c.flag6;
    record[76] = c.flag7;
    EXPECT_EQ(DecodeAccelRecord(Record(record), 0).event, c.event)
        << c.flag5 << c.letter << c.flag6 << c.flag7;
  }
}

TEST_F(SensorRecordDecoderTest, AccelerationPart) {
  std::string record = atoms::SampleRecord(3);
  record[73] = 'Y';
  record[77] = 'D';
  record[122] = 'M';
  AccelRecord accel = DecodeAccelRecord(Record(record), 3);
  EXPECT_EQ(accel.sequence, 3);
  EXPECT_EQ(accel.frame, 300);
  EXPECT_DOUBLE_EQ(accel.x, 0.012);
  EXPECT_DOUBLE_EQ(accel.y, -0.034);
  EXPECT_DOUBLE_EQ(accel.z, 1.0);
  EXPECT_EQ(accel.axis, 2);
  EXPECT_EQ(accel.flag8, 8);
  EXPECT_EQ(accel.manual, 1);

  for (auto [letter, axis] :
       std::vector<std::pair<char, int>>{{'X', 1}, {'Z', 3}, {'x', 0}, {'N', 0}}) {
    record[73] = letter;
    EXPECT_EQ(DecodeAccelRecord(Record(record), 0).axis, axis) << letter;
  }
  record[77] = 'N';
  record[122] = 'm';
  accel = DecodeAccelRecord(Record(record), 0);
  EXPECT_EQ(accel.flag8, 0);
  EXPECT_EQ(accel.manual, 0);
}

TEST_F(SensorRecordDecoderTest, VehiclePartIsCopiedLittleEndian) {
  std::string record = atoms::SampleRecord(0);
  atoms::Put(record, 78, "\x01\x02\x03\x04");
  for (int i = 0; i < 15; ++i) {
    record[82 + 2 * i] = static_cast<char>(0x10 + i);
    record[83 + 2 * i] = static_cast<char>(0xA0 + i);
  }
  const VehicleRecord vehicle = DecodeVehicleRecord(Record(record), 5);
  EXPECT_EQ(vehicle.sequence, 5);
  EXPECT_EQ(vehicle.bytes, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(vehicle.words[i], ((0xA0 + i) << 8) | (0x10 + i)) << i;
  }
}

TEST_F(SensorRecordDecoderTest, HeaderBlocks) {
  const TrackHeader plain = DecodeTrackHeader(Bytes(atoms::HeaderBlock('M')));
  EXPECT_TRUE(plain.decoded);
  EXPECT_EQ(plain.numbers, (std::array<float, 4>{1.0f, 2.0f, 3.0f, 4.0f}));
  EXPECT_EQ(plain.mode, 'M');
  EXPECT_EQ(std::string(plain.version.begin(), plain.version.end()), "010203");
  EXPECT_EQ(plain.quality, 'H');
  EXPECT_EQ(plain.byte24, 'N');

  const TrackHeader undecoded = DecodeTrackHeader(Bytes(atoms::HeaderBlock('X')));
  EXPECT_FALSE(undecoded.decoded);
  EXPECT_EQ(undecoded.numbers, (std::array<float, 4>{-1.0f, -1.0f, -1.0f, -1.0f}));
  EXPECT_EQ(undecoded.mode, 0);

  // A block whose bytes 30-33 are "@CS" and a capital continues 34 bytes on.
  const std::string second = "0500060007000800M090807LQ0";
  std::string chained = atoms::HeaderBlock('D') + "xxxx@CSA" + second;
  TrackHeader next = DecodeTrackHeader(Bytes(chained));
  EXPECT_TRUE(next.decoded);
  EXPECT_EQ(next.numbers, (std::array<float, 4>{0.5f, 0.6f, 0.7f, 0.8f}));
  EXPECT_EQ(next.mode, 'M');
  EXPECT_EQ(std::string(next.version.begin(), next.version.end()), "090807");
  EXPECT_EQ(next.quality, 'L');

  // Not a capital: no continuation.
  chained[33] = 'a';
  EXPECT_EQ(DecodeTrackHeader(Bytes(chained)).mode, 'D');

  // A continued block with a bad mode: numbers -1, characters of the first stay.
  std::string bad = atoms::HeaderBlock('D') + "xxxx@CSZ" + "0500060007000800?090807LQ0";
  const TrackHeader stopped = DecodeTrackHeader(Bytes(bad));
  EXPECT_FALSE(stopped.decoded);
  EXPECT_EQ(stopped.numbers, (std::array<float, 4>{-1.0f, -1.0f, -1.0f, -1.0f}));
  EXPECT_EQ(stopped.mode, 'D');
  EXPECT_EQ(stopped.quality, 'H');

  // A continuation that the data does not hold whole is not read.
  const std::string cut = atoms::HeaderBlock('D') + "xxxx@CSA" + "0500";
  EXPECT_EQ(DecodeTrackHeader(Bytes(cut)).numbers[0], 1.0f);
  EXPECT_FALSE(DecodeTrackHeader(Bytes("1000200030004000D0102")).decoded);

  // Digits replaced by garbage give 0.
  const TrackHeader garbage =
      DecodeTrackHeader(Bytes("xxxx\xff\xff\xff\xff"
                              "12ab    D010203HN0"));
  EXPECT_TRUE(garbage.decoded);
  EXPECT_EQ(garbage.numbers, (std::array<float, 4>{0.0f, 0.0f, 0.012f, 0.0f}));
}

}  // namespace
