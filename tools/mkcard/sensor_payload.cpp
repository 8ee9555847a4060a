#include "mkcard/sensor_payload.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mkcard/coordinate_text.h"

namespace mkcard {
namespace {

// Writes `text` at `offset`, without its terminating zero.
void Put(std::string& record, std::size_t offset, const char* text) {
  record.replace(offset, std::strlen(text), text);
}

// Writes milli-G as five characters: "-0123", "01500".
void PutG(std::string& record, std::size_t offset, int milliG) {
  char text[8];
  if (milliG < 0) {
    std::snprintf(text, sizeof text, "-%04d", std::min(-milliG, 9999));
  } else {
    std::snprintf(text, sizeof text, "%05d", std::min(milliG, 99999));
  }
  Put(record, offset, text);
}

}  // namespace

std::string RecordBytes(const SensorSample& s) {
  std::string record(kRecordSize, ' ');
  char text[32];
  // Digits at bytes 2-4 mean a record can never look like a further header
  // block ("@CS" and a capital at bytes 2-5 of the first record).
  std::snprintf(text, sizeof text, "%05d", s.number % 100000);
  Put(record, 0, text);
  record[5] = s.fix ? 'A' : 'V';
  // The writer works from the decoded degrees: the text keeps them exactly
  // because they were made from text of the same precision.
  Put(record, 6, CoordinateText(s.latitude, 2).c_str());
  record[15] = static_cast<char>(s.latitudeHemisphere);
  Put(record, 16, CoordinateText(s.longitude, 3).c_str());
  record[26] = static_cast<char>(s.longitudeHemisphere);
  std::snprintf(text, sizeof text, "%04d", std::clamp(s.speed, 0, 9999));
  Put(record, 27, text);
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", (s.clock.year - 2000) % 100,
                s.clock.month % 100, s.clock.day % 100, s.clock.hour % 100, s.clock.minute % 100,
                s.clock.second % 100);
  Put(record, 31, text);
  if (s.addSeconds < 0) {
    record[44] = '*';
  } else {
    std::snprintf(text, sizeof text, "%03d", s.addSeconds % 1000);
    Put(record, 44, text);
  }
  PutG(record, 57, s.gx);
  PutG(record, 62, s.gy);
  PutG(record, 67, s.gz);
  record[72] = s.userPoint;
  record[73] = s.axis;
  record[74] = s.eventLetter;
  record[75] = s.emergencyStop;
  record[76] = s.parking;
  record[77] = s.speeding;
  for (std::size_t i = 0; i < s.vehicleBytes.size(); ++i) {
    record[78 + i] = static_cast<char>(s.vehicleBytes[i]);
  }
  for (std::size_t i = 0; i < s.vehicleWords.size(); ++i) {
    record[82 + 2 * i] = static_cast<char>(s.vehicleWords[i] & 0xFF);
    record[83 + 2 * i] = static_cast<char>(s.vehicleWords[i] >> 8);
  }
  record[122] = s.manualMark ? 'M' : ' ';
  return record;
}

std::vector<std::uint8_t> SensorPayload(const HeaderFields& header,
                                        const std::vector<SensorSample>& samples, bool closed) {
  if (samples.size() > 0xFFFF) return {};
  std::string text = "CSMDAT";
  char block[40];
  std::snprintf(block, sizeof block, "%04d%04d%04d%04d%c%02d%02d%02d%c%c%c",
                header.numbers[0] % 10000, header.numbers[1] % 10000, header.numbers[2] % 10000,
                header.numbers[3] % 10000, header.mode, header.version[0] % 100,
                header.version[1] % 100, header.version[2] % 100, header.quality, header.byte24,
                header.byte25);
  text += block;
  text += static_cast<char>(samples.size() >> 8);
  text += static_cast<char>(samples.size() & 0xFF);
  for (const SensorSample& sample : samples) text += RecordBytes(sample);
  if (closed) text += "CSMEND";
  return {text.begin(), text.end()};
}

}  // namespace mkcard
