#include "catalogue/gpx_export.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "catalogue/output_file.h"

namespace {

// The record's local time as UTC in the form GPX wants; empty without a time.
std::string UtcText(const CalendarTime& time) {
  if (time == CalendarTime{}) return "";
  std::tm local = time.ToTm();
  const std::time_t stamp = std::mktime(&local);
  std::tm utc{};
  if (stamp == static_cast<std::time_t>(-1) || gmtime_r(&stamp, &utc) == nullptr) return "";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

bool IsPlace(const PositionRecord& record) {
  return record.valid == 1 && std::isfinite(record.latitude) && std::isfinite(record.longitude) &&
         std::fabs(record.latitude) <= 90 && std::fabs(record.longitude) <= 180;
}

}  // namespace

std::string GpxText(const std::vector<PositionRecord>& route) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"kestrel\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
      "  <trk>\n";
  bool inSegment = false;
  for (const PositionRecord& record : route) {
    if (!IsPlace(record)) {
      if (inSegment) text += "    </trkseg>\n";
      inSegment = false;
      continue;
    }
    if (!inSegment) text += "    <trkseg>\n";
    inSegment = true;
    char point[160];
    std::snprintf(point, sizeof point, "      <trkpt lat=\"%.7f\" lon=\"%.7f\">", record.latitude,
                  record.longitude);
    text += point;
    const std::string time = UtcText(record.time);
    if (!time.empty()) text += "<time>" + time + "</time>";
    if (std::isfinite(record.speed)) {
      std::snprintf(point, sizeof point, "<extensions><speed>%.2f</speed></extensions>",
                    record.speed / 3.6);
      text += point;
    }
    text += "</trkpt>\n";
  }
  if (inSegment) text += "    </trkseg>\n";
  return text + "  </trk>\n</gpx>\n";
}

bool WriteGpx(const std::vector<PositionRecord>& route, const std::filesystem::path& path,
              std::string& why) {
  OutputFile file;
  return file.Create(path, why) && file.Write(GpxText(route), why) && file.Commit(why);
}
