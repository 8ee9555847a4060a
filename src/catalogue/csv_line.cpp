#include "catalogue/csv_line.h"

#include <cmath>
#include <cstdio>

#include "catalogue/trigger_label.h"

namespace {

std::string_view ResolutionLabel(int height) {
  switch (height) {
    case 360:
      return "SD";
    case 720:
      return "HD";
    case 1080:
      return "FHD";
    default:
      return "";
  }
}

std::string Format(const char* format, const std::tm& time) {
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, format, &time);
  return std::string(text, length);
}

// A field as it is, or in double quotes with its quotes doubled when it
// holds a comma, a quote or a line break, so that a renamed file cannot
// shift the columns or split the row.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field.push_back('"');
    field.push_back(c);
  }
  return field.append("\"");
}

}  // namespace

std::string_view CsvHeaderLine() {
  return "ファイル名,日付,開始時刻,録画時間,録画トリガー,録画サイズ,画質,フレームレート,"
         "データサイズ\r\n";
}

std::string CsvRecordingLine(std::string_view name, const CsvDetails& details) {
  const std::string date = details.start ? Format("%Y/%m/%d", *details.start) : "--/--/--";
  const std::string time = details.start ? Format("%H:%M:%S", *details.start) : "--:--:--";
  // A zero or unreadable rate gives no length rather than a division by zero.
  const double seconds =
      details.frameRate > 0
          ? std::trunc(static_cast<double>(details.frameCount) / details.frameRate)
          : 0;
  const long long s = std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(seconds) : 0;
  char length[48];
  std::snprintf(length, sizeof length, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  const std::string_view resolution = ResolutionLabel(details.height);
  const std::string_view quality = resolution.empty()       ? ""
                                   : details.quality == 'H' ? "高画質"
                                                            : "低画質";
  char tail[64];
  std::snprintf(tail, sizeof tail, "%.0ffps,%lluMB\r\n", details.frameRate,
                static_cast<unsigned long long>(details.fileSize / 1048576));
  std::string line = CsvField(name) + ',';
  for (std::string_view column :
       {std::string_view(date), std::string_view(time), std::string_view(length),
        TriggerLabel(name), resolution, quality}) {
    line.append(column).push_back(',');
  }
  return line.append(tail);
}

std::string CsvPlaceholderLine(std::string_view name) {
  return CsvField(name).append(",-,-,-,-,-,-,fps,0MB\r\n");
}
