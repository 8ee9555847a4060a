#include "map/map_statements.h"

#include <charconv>
#include <cmath>

#include "map/json_holder.h"

std::string FixedText(double value) {
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return "0.000000";
  return std::string(buffer, result.ptr);
}

std::vector<std::string> RebuildStatements(int index) {
  return {"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()", "orbitgrplist.CreateLine()",
          "orbitgrplist.CreateGridLine(" + std::to_string(index) + ")"};
}

std::string AddCrashPosStatement(int icon, const AccelRecord& accel, int index,
                                 const PositionRecord& position) {
  return "cplist.AddCrashPos(" + std::to_string(icon) + ',' + FixedText(accel.x) + ',' +
         FixedText(accel.y) + ',' + FixedText(accel.z) + ",0," + std::to_string(index) + ',' +
         std::to_string(accel.frame) + ',' + FixedText(position.latitude) + ',' +
         FixedText(position.longitude) + ',' + std::to_string(position.valid) + ',' +
         FixedText(position.speed) + ',' + FixedText(position.direction) + ')';
}

bool OnTheMap(double latitude, double longitude) {
  return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90.0 &&
         std::fabs(longitude) <= 180.0;
}

std::string TrackArrayText(std::span<const PositionRecord> positions) {
  std::string text = "[";
  std::int64_t count = 0;
  for (const PositionRecord& p : positions) {
    if (p.valid == 0 || !OnTheMap(p.latitude, p.longitude)) continue;
    text +=
        FixedText(p.latitude) + ',' + FixedText(p.longitude) + ',' + std::to_string(p.frame) + ',';
    count += 3;
  }
  return text + std::to_string(count) + ']';
}

std::string UpdateMessage(double latitude, double longitude, const std::string& status) {
  CJsonHolder holder;
  holder.Insert("val_command", "update", ",");
  holder.Insert("map_lat", FixedText(latitude), ",");
  holder.Insert("map_lng", FixedText(longitude), ",");
  holder.Insert("map_status", status, ",");
  holder.Insert("val_end", "", "");
  return holder.Write();
}
