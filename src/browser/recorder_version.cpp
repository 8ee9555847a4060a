#include "browser/recorder_version.h"

#include <string>

#include "container/sensor_track.h"

namespace {

// Reads a pair of characters as a decimal number the way the recorder's
// tools do: leading blanks skipped, then the digits up to the first other
// character; 0 without digits.
int PairValue(char first, char second) {
  std::string text{first, second};
  const std::size_t start = text.find_first_not_of(' ');
  int value = 0;
  for (std::size_t i = start; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

QString RecorderVersionText(const TrackHeader& header) {
  if (!header.decoded) return {};
  const auto& v = header.version;
  return QStringLiteral("%1.%2.%3")
      .arg(PairValue(v[0], v[1]))
      .arg(PairValue(v[2], v[3]))
      .arg(PairValue(v[4], v[5]));
}

QString ReadRecorderVersion(const std::filesystem::path& recording) {
  SensorTrack track;
  TrackHeader header;
  if (!track.LoadHeader(recording, &header)) return {};
  return RecorderVersionText(header);
}
