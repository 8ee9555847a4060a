#include "catalogue/gpx_export.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>

namespace {

PositionRecord Point(int valid, int minute, int second, double longitude = 139.5) {
  PositionRecord p;
  p.valid = valid;
  p.latitude = 35.25;
  p.longitude = longitude;
  p.speed = 36;
  p.time = CalendarTime{
      2024, 6, 3, 12, 8, static_cast<std::uint16_t>(minute), static_cast<std::uint16_t>(second), 0};
  return p;
}

std::vector<std::string> All(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it) {
    found.push_back((*it)[1]);
  }
  return found;
}

}  // namespace

TEST(GpxExport, UtcTimesTenthsSegmentsAndNames) {
  GpxTrack track{"a&b<1>\x01_G.MOV", {}};
  for (int i = 0; i < 4; ++i) track.positions.push_back(Point(1, 30, 0));  // one second
  track.positions.push_back(Point(0, 30, 0));                              // no fix
  track.positions.push_back(Point(1, 30, 1, 180));                         // on the date line
  track.positions.push_back(Point(1, 29, 59));                             // the clock went back
  // The recorder's clock in Tokyo, nine hours ahead of UTC.
  const char* zone = std::getenv("TZ");
  const std::string saved = zone != nullptr ? zone : "";
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  GpxOptions options;
  std::string text = GpxText({track}, options);
  EXPECT_EQ(All(text, "<time>([^<]*)</time>"),
            (std::vector<std::string>{"2024-06-11T23:30:00.0Z", "2024-06-11T23:30:00.1Z",
                                      "2024-06-11T23:30:00.2Z", "2024-06-11T23:30:00.3Z",
                                      "2024-06-11T23:30:01.0Z", "2024-06-11T23:29:59.0Z"}));
  EXPECT_EQ(All(text, "(<trkseg>)").size(), 3u);  // after the lost fix and the clock's step back
  EXPECT_EQ(All(text, "lon=\"([^\"]*)\"")[4], "-180.0000000");
  EXPECT_EQ(All(text, "lat=\"([^\"]*)\"")[0], "35.2500000");
  EXPECT_EQ(All(text, "<gpxtpx:speed>([^<]*)</gpxtpx:speed>")[0], "10.00");
  EXPECT_EQ(All(text, "<name>([^<]*)</name>"),
            (std::vector<std::string>{"a&amp;b&lt;1&gt;?_G.MOV"}));
  EXPECT_NE(text.find("xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\""),
            std::string::npos);

  // A clock that runs 2 s slow, corrected.
  options.offsetSeconds = 2;
  text = GpxText({track}, options);
  EXPECT_EQ(All(text, "<time>([^<]*)</time>")[3], "2024-06-11T23:30:02.3Z");
  if (zone != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
