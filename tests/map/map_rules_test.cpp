#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/json_holder.h"
#include "map/map_statements.h"

namespace {

PositionRecord Position(double lat, double lng, int frame, int valid = 1) {
  PositionRecord p;
  p.latitude = lat;
  p.longitude = lng;
  p.frame = frame;
  p.valid = valid;
  return p;
}

}  // namespace

TEST(JsonHolderTest, WriterKeepsKeyOrderWhateverTheInsertionOrder) {
  const std::vector<std::vector<std::string>> orders = {
      {"val_end", "map_status", "val_command", "map_lng", "map_lat"},
      {"map_lat", "map_lng", "map_status", "val_command", "val_end"},
      {"val_command", "map_lat", "val_end", "map_lng", "map_status"}};
  for (const auto& order : orders) {
    CJsonHolder holder;
    for (const std::string& key : order)
      holder.Insert(key, key == "val_end" ? "" : "v", key == "val_end" ? "" : ",");
    EXPECT_EQ(holder.Write(),
              R"({"map_lat":"v","map_lng":"v","map_status":"v","val_command":"v","val_end":""})");
  }
  EXPECT_EQ(UpdateMessage(35.5, -139.25, "pause"),
            R"({"map_lat":"35.500000","map_lng":"-139.250000","map_status":"pause",)"
            R"("val_command":"update","val_end":""})");
  EXPECT_EQ(CJsonHolder().Write(), "{}");
}

TEST(JsonHolderTest, ReaderFollowsItsStateMachine) {
  struct Case {
    std::string text;
    std::vector<std::pair<std::string, std::string>> pairs;  // expected values
    size_t count;
  };
  const std::vector<Case> cases = {
      {R"({"map_lat":"1.5","map_status":"stop"})", {{"map_lat", "1.5"}, {"map_status", "stop"}}, 2},
      {"", {}, 0},
      {"no object at all", {}, 0},
      // A stray quote inside a value ends it; the rest up to the comma is passed over.
      {R"({"a":"x"y","b":"2"})", {{"a", "x"}, {"b", "2"}}, 2},
      // A brace starts a fresh object wherever it stands.
      {R"({"a":"1{"b":"2"})", {{"b", "2"}}, 1},
      // Commas and colons in a key or value are not part of it.
      {R"({"k,e:y":"v,a:l"})", {{"key", "val"}}, 1},
      // A pair not closed by a comma or a brace is not stored.
      {R"({"a":"1")", {}, 0},
      {R"({"a":"1"}, "b":"2"})", {{"a", "1"}}, 1},
  };
  for (const Case& c : cases) {
    CJsonHolder holder;
    holder.Read(c.text);
    for (const auto& [key, value] : c.pairs) EXPECT_EQ(holder.Value(key), value) << c.text;
    EXPECT_EQ(holder.empty(), c.count == 0) << c.text;
  }
}

TEST(MapStatementsTest, TrackArraysAndStatementsInTheCLocale) {
  EXPECT_EQ(TrackArrayText({}), "[0]");
  const std::vector<PositionRecord> invalid = {Position(35, 139, 0, 0), Position(35, 139, 3, 0)};
  EXPECT_EQ(TrackArrayText(invalid), "[0]");
  const std::vector<PositionRecord> mixed = {
      Position(35.123456, 139.5, 0), Position(-33.9, -70.25, 3), Position(95, 10, 6),
      Position(10, 200, 9),          Position(1, 1, 12, 0),      Position(0.0000004, 0, 15)};
  EXPECT_EQ(TrackArrayText(mixed),
            "[35.123456,139.500000,0,-33.900000,-70.250000,3,0.000000,0.000000,15,9]");
  EXPECT_EQ(
      RebuildStatements(4),
      (std::vector<std::string>{"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()",
                                "orbitgrplist.CreateLine()", "orbitgrplist.CreateGridLine(4)"}));
  AccelRecord accel;
  accel.x = 0.5;
  accel.y = -1.25;
  accel.z = 2;
  accel.frame = 120;
  PositionRecord position = Position(-12.5, 45.000001, 120);
  position.speed = 61.5;
  EXPECT_EQ(AddCrashPosStatement(6, accel, 2, position),
            "cplist.AddCrashPos(6,0.500000,-1.250000,2.000000,0,2,120,-12.500000,45.000001,1,"
            "61.500000,0.000000)");
  EXPECT_EQ(FixedText(1e300).substr(0, 4), "1000");
  EXPECT_FALSE(OnTheMap(90.5, 0));
  EXPECT_FALSE(OnTheMap(0, -180.5));
  EXPECT_TRUE(OnTheMap(-90, 180));
}
