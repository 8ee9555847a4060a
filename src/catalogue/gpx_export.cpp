#include "catalogue/gpx_export.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <optional>

#include "catalogue/output_file.h"
#include "catalogue/recorder_clock.h"
#include "catalogue/utf8_text.h"

namespace {

constexpr int kTenthsPerSecond = 10;

std::optional<std::int64_t> UtcSeconds(const CalendarTime& time, const GpxOptions& options) {
  const std::optional<std::tm> local = CorrectedLocalTime(time, options.offsetSeconds);
  return local ? LocalToUtcSeconds(*local) : std::nullopt;
}

std::string Number(double value, int precision) {
  char text[64];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision);
  return std::string(text, end.ptr);
}

// Text for an element: the markup characters escaped, and whatever XML
// cannot hold (control characters, bytes that are not UTF-8) as '?'.
std::string XmlText(std::string_view text) {
  std::string escaped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else if (c >= 0x80) {
      const std::size_t length = Utf8SequenceLength(text, i);
      escaped += length > 0 ? text.substr(i, length) : "?";
      if (length > 0) i += length - 1;
    } else {
      escaped.push_back(c < 0x20 && c != '\t' && c != '\n' && c != '\r' ? '?' : text[i]);
    }
  }
  return escaped;
}

bool IsPlace(const PositionRecord& record) {
  return record.valid == 1 && std::isfinite(record.latitude) && std::isfinite(record.longitude) &&
         std::fabs(record.latitude) <= 90 && std::fabs(record.longitude) <= 180;
}

// Writes one recording's track.
class TrackWriter {
 public:
  TrackWriter(std::string& text, const GpxOptions& options) : text_(text), options_(options) {}

  void Write(const GpxTrack& track) {
    text_ += "  <trk>\n    <name>" + XmlText(track.name) + "</name>\n";
    const CalendarTime* runTime = nullptr;
    int inRun = 0;
    std::optional<std::int64_t> seconds;
    for (const PositionRecord& record : track.positions) {
      // The records of one second follow each other a tenth apart.
      const bool sameSecond = runTime != nullptr && *runTime == record.time;
      inRun = sameSecond ? inRun + 1 : 0;
      // Reading the zone costs more than the rest of a point: once a second.
      if (!sameSecond) seconds = UtcSeconds(record.time, options_);
      runTime = &record.time;
      if (!IsPlace(record)) {
        EndSegment();
        continue;
      }
      std::optional<std::int64_t> tenths;
      if (seconds) tenths = *seconds * kTenthsPerSecond + std::min(inRun, kTenthsPerSecond - 1);
      if (tenths && lastTenths_ && *tenths <= *lastTenths_) EndSegment();
      Point(record, tenths);
    }
    EndSegment();
    text_ += "  </trk>\n";
  }

 private:
  void Point(const PositionRecord& record, std::optional<std::int64_t> tenths) {
    if (!inSegment_) text_ += "    <trkseg>\n";
    inSegment_ = true;
    // GPX wants -180 <= lon < 180.
    const double longitude = record.longitude >= 180 ? record.longitude - 360 : record.longitude;
    text_ += "      <trkpt lat=\"" + Number(record.latitude, 7) + "\" lon=\"" +
             Number(longitude, 7) + "\">";
    if (tenths) {
      text_ += "<time>" + UtcTenthsText(*tenths) + "</time>";
      lastTenths_ = tenths;
    }
    if (std::isfinite(record.speed)) {
      text_ += "<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" +
               Number(record.speed / 3.6, 2) +
               "</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions>";
    }
    text_ += "</trkpt>\n";
  }

  void EndSegment() {
    if (inSegment_) text_ += "    </trkseg>\n";
    inSegment_ = false;
    lastTenths_.reset();
  }

  std::string& text_;
  const GpxOptions& options_;
  bool inSegment_ = false;
  std::optional<std::int64_t> lastTenths_;
};

}  // namespace

std::string GpxText(const std::vector<GpxTrack>& tracks, const GpxOptions& options) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"kestrel\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
      "     xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">\n";
  // A point takes about 180 bytes: room for all of them at once.
  std::size_t points = 0;
  for (const GpxTrack& track : tracks) points += track.positions.size();
  text.reserve(text.size() + 200 * points + 4096);
  for (const GpxTrack& track : tracks) TrackWriter(text, options).Write(track);
  return text += "</gpx>\n";
}

bool WriteGpx(const std::vector<GpxTrack>& tracks, const std::filesystem::path& path,
              const GpxOptions& options, std::string& why) {
  OutputFile file;
  return file.Create(path, why) && file.Write(GpxText(tracks, options), why) && file.Commit(why);
}
