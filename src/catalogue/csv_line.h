#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// The values of one line of the CSV recording list, as read from the
// recording.
struct CsvDetails {
  std::optional<std::tm> start;  // the first record's local time; none when the track is empty
  int height = 0;                // frame height of the first sample description
  std::int64_t frameCount = 0;   // sample count of the first time-to-sample entry
  double frameRate = 0;          // 90000 / its sample delta
  char quality = 0;              // the track header's quality character ('H' high)
  std::uint64_t fileSize = 0;
};

// The header line, CR LF included (UTF-8).
std::string_view CsvHeaderLine();

// The recording line for `name` (UTF-8, CR LF included). A name holding a
// comma, a double quote, CR or LF is written in double quotes with its
// quotes doubled; every other line is plain.
std::string CsvRecordingLine(std::string_view name, const CsvDetails& details);

// The line written for a recording whose details cannot be read.
std::string CsvPlaceholderLine(std::string_view name);
