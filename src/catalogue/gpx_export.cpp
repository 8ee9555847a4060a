#include "catalogue/gpx_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <optional>

#include "catalogue/output_file.h"
#include "catalogue/utf8_text.h"

namespace {

constexpr int kTenthsPerSecond = 10;

std::optional<std::int64_t> LocalToUtc(const std::tm& local) {
  std::tm copy = local;
  copy.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&copy);
  if (stamp == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<std::int64_t>(stamp);
}

// The record's time plus the offset, in UTC seconds; nothing without one.
std::optional<std::int64_t> UtcSeconds(const CalendarTime& time, const GpxOptions& options) {
  if (time == CalendarTime{}) return std::nullopt;
  std::tm local = time.ToTm();
  // A century either way is more than any clock is off.
  constexpr std::int64_t kMaxOffset = std::int64_t{100} * 366 * 24 * 3600;
  local.tm_sec += static_cast<int>(std::clamp(options.offsetSeconds, -kMaxOffset, kMaxOffset));
  const std::time_t normal = timegm(&local);  // normalises the fields, no zone involved
  if (normal == static_cast<std::time_t>(-1) || gmtime_r(&normal, &local) == nullptr) {
    return std::nullopt;
  }
  return LocalToUtc(local);
}

std::string TimeText(std::int64_t tenths) {
  const auto seconds = static_cast<std::time_t>(tenths / kTenthsPerSecond);
  std::tm utc{};
  if (gmtime_r(&seconds, &utc) == nullptr) return "";
  char text[40];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  return std::string(text, length) + '.' + static_cast<char>('0' + tenths % kTenthsPerSecond) + 'Z';
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
    for (const PositionRecord& record : track.positions) {
      // The records of one second follow each other a tenth apart.
      inRun = runTime != nullptr && *runTime == record.time ? inRun + 1 : 0;
      runTime = &record.time;
      if (!IsPlace(record)) {
        EndSegment();
        continue;
      }
      const std::optional<std::int64_t> seconds = UtcSeconds(record.time, options_);
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
      text_ += "<time>" + TimeText(*tenths) + "</time>";
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
  for (const GpxTrack& track : tracks) TrackWriter(text, options).Write(track);
  return text + "</gpx>\n";
}

bool WriteGpx(const std::vector<GpxTrack>& tracks, const std::filesystem::path& path,
              const GpxOptions& options, std::string& why) {
  OutputFile file;
  return file.Create(path, why) && file.Write(GpxText(tracks, options), why) && file.Commit(why);
}
