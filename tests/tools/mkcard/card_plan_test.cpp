// The card plan: names, triggers and the synthesised drive, without ffmpeg.
#include "mkcard/card_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

using mkcard::CardOptions;
using mkcard::FileKind;
using mkcard::PlanCard;
using mkcard::RecordingPlan;
using mkcard::SensorSample;

namespace {

std::string NameOf(const RecordingPlan& plan) { return plan.path.substr(plan.path.rfind('/') + 1); }

std::string FolderOf(const RecordingPlan& plan) {
  return plan.path.substr(0, plan.path.rfind('/'));
}

// Seconds since 1970 of the time a record stands for: the clock plus the
// seconds to add.
std::int64_t DecodedTime(const SensorSample& s) {
  using namespace std::chrono;
  const sys_seconds t = sys_days{year{s.clock.year} / s.clock.month / s.clock.day} +
                        hours{s.clock.hour} + minutes{s.clock.minute} + seconds{s.clock.second};
  return t.time_since_epoch().count() + std::max(0, s.addSeconds);
}

std::int64_t Seconds(const mkcard::LocalClock& c) {
  return DecodedTime({.clock = c, .addSeconds = 0});
}

double MetresBetween(const SensorSample& a, const SensorSample& b) {
  const double north = (b.latitude - a.latitude) * 111320.0;
  const double east =
      (b.longitude - a.longitude) * 111320.0 * std::cos(a.latitude * std::numbers::pi / 180);
  return std::hypot(north, east);
}

}  // namespace

TEST(CardPlan, DefaultCardNamesEveryTriggerTheWayTheRecorderDoes) {
  const std::vector<RecordingPlan> card = PlanCard(CardOptions{});
  ASSERT_EQ(card.size(), 15u);
  std::set<char> triggers;
  for (std::size_t i = 0; i < card.size(); ++i) {
    const std::string name = NameOf(card[i]);
    SCOPED_TRACE(card[i].path);
    EXPECT_EQ(card[i].path.rfind("DCIM/1", 0), 0u);
    EXPECT_GE(name.size(), 16u);
    EXPECT_EQ(name[10], '_');
    EXPECT_EQ(name[11], card[i].trigger);
    EXPECT_EQ(name.substr(name.size() - 4), ".MOV");
    EXPECT_EQ(card[i].trigger, "AMGPS"[i % 5]);
    EXPECT_EQ(card[i].cardIndex, static_cast<int>(i));
    EXPECT_EQ(card[i].samples.size(), 100u);
    EXPECT_EQ(card[i].frames, 300);
    triggers.insert(card[i].trigger);
  }
  EXPECT_EQ(triggers, (std::set<char>{'A', 'M', 'G', 'P', 'S'}));
  EXPECT_EQ(FolderOf(card[0]), "DCIM/100MEDIA");
  EXPECT_EQ(FolderOf(card[14]), "DCIM/102MEDIA");
}

TEST(CardPlan, NamesSortInTimeOrderAndNumberedNamesComeFirst) {
  CardOptions options;
  options.numbered = 2;
  options.files = 4;
  const std::vector<RecordingPlan> card = PlanCard(options);
  for (std::size_t i = 0; i < card.size(); ++i) {
    const std::string name = NameOf(card[i]);
    if (i % 4 < 2) {
      EXPECT_EQ(name.substr(0, 4), (i % 4 == 0 ? "001_" : "002_")) << name;
      EXPECT_EQ(name[10], '_') << name;
    } else {
      EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(name[3]))) << name;
    }
    if (i % 4 != 0) {
      EXPECT_LT(NameOf(card[i - 1]), name);
      EXPECT_EQ(Seconds(card[i].start), Seconds(card[i - 1].start) + options.seconds);
    }
  }
}

TEST(CardPlan, RecordsRunTenPerSecondAndContinueAcrossTheFolder) {
  CardOptions options;
  options.seconds = 4;
  options.triggers = "AMGA";
  const std::vector<RecordingPlan> card = PlanCard(options);
  const SensorSample* previous = nullptr;
  for (const RecordingPlan& plan : card) {
    ASSERT_EQ(plan.samples.size(), 40u);
    EXPECT_EQ(DecodedTime(plan.samples[0]), Seconds(plan.start)) << plan.path;
    if (previous != nullptr &&
        card[static_cast<std::size_t>(plan.cardIndex) - 1].folder != plan.folder) {
      previous = nullptr;
    }
    for (std::size_t r = 0; r < plan.samples.size(); ++r) {
      const SensorSample& s = plan.samples[r];
      EXPECT_EQ(s.number, static_cast<int>(r));
      EXPECT_EQ(DecodedTime(s), Seconds(plan.start) + static_cast<std::int64_t>(r / 10));
      if (previous != nullptr && previous->fix && s.fix) {
        // The car moves no further than its speed allows (plus rounding of the text).
        EXPECT_LE(MetresBetween(*previous, s), std::max(previous->speed, s.speed) / 3.6 * 0.1 + 0.5)
            << plan.path << " record " << r;
      }
      previous = &s;
    }
  }
}

TEST(CardPlan, DriveShowsEveryEventOfItsTrigger) {
  CardOptions options;
  options.seconds = 3;
  for (const RecordingPlan& plan : PlanCard(options)) {
    SCOPED_TRACE(plan.path);
    std::map<char, int> letters, axes;
    int stops = 0, parking = 0, points = 0, manual = 0, noFix = 0, speeding = 0;
    for (const SensorSample& s : plan.samples) {
      ++letters[s.eventLetter];
      ++axes[s.axis];
      stops += s.emergencyStop == 'D';
      parking += s.parking == 'D';
      points += s.userPoint == 'D';
      manual += s.manualMark;
      noFix += !s.fix;
      speeding += s.speeding == 'D';
      EXPECT_EQ(s.speeding == 'D', s.speed > 50);
      EXPECT_EQ(s.fix, s.addSeconds == 18);
      EXPECT_EQ(s.fix, s.addSeconds != -1);
      const bool parked = plan.trigger == 'P' || plan.trigger == 'S';
      if (parked) {
        EXPECT_EQ(s.speed, 0);
        EXPECT_TRUE(std::all_of(s.vehicleWords.begin(), s.vehicleWords.end(),
                                [](std::uint16_t w) { return w == mkcard::kMissingWord; }));
      } else {
        EXPECT_EQ(s.vehicleWords[3], s.speed);
        EXPECT_EQ(s.vehicleWords[1] >= 30 && s.vehicleWords[1] <= 101, true);
        for (std::size_t w : {4u, 5u, 6u, 8u, 9u, 10u, 11u, 12u, 13u, 14u}) {
          EXPECT_EQ(s.vehicleWords[w], 0);
        }
      }
      if (s.axis == 'X') {
        EXPECT_GE(std::abs(s.gx), 1500);
      }
      if (s.axis == 'Y') {
        EXPECT_GE(std::abs(s.gy), 1500);
      }
      if (s.axis == 'Z') {
        EXPECT_GE(std::abs(s.gz), 1500);
      }
    }
    const bool impact = plan.trigger == 'G' || plan.trigger == 'S';
    EXPECT_EQ(axes['X'] + axes['Y'] + axes['Z'], impact ? 3 : 0);
    EXPECT_EQ(letters['A'] + letters['B'] + letters['H'], plan.trigger == 'A' ? 3 : 0);
    EXPECT_EQ(stops, plan.trigger == 'A' ? 1 : 0);
    EXPECT_EQ(noFix, plan.trigger == 'A' ? 5 : 0);  // records 19-23 of 30
    EXPECT_EQ(manual, plan.trigger == 'M' ? 1 : 0);
    EXPECT_EQ(points, plan.trigger == 'M' ? 1 : 0);
    EXPECT_EQ(parking, plan.trigger == 'P' || plan.trigger == 'S' ? 1 : 0);
    EXPECT_EQ(speeding > 0, plan.trigger != 'P' && plan.trigger != 'S');
    EXPECT_EQ(plan.header.mode, plan.trigger == 'P' || plan.trigger == 'S' ? 'M' : 'D');
  }
}

TEST(CardPlan, FoldersCrossThePrimeMeridianAndTheEquator) {
  const std::vector<RecordingPlan> card = PlanCard(CardOptions{});
  std::map<int, std::set<bool>> latitudeSigns, longitudeSigns;
  for (const RecordingPlan& plan : card) {
    for (const SensorSample& s : plan.samples) {
      EXPECT_EQ(s.latitudeHemisphere != 0, s.latitude >= 0);
      EXPECT_EQ(s.longitudeHemisphere != 0, s.longitude >= 0);
      latitudeSigns[plan.folder].insert(s.latitudeHemisphere != 0);
      longitudeSigns[plan.folder].insert(s.longitudeHemisphere != 0);
    }
  }
  EXPECT_EQ(latitudeSigns[0], std::set<bool>{true});
  EXPECT_EQ(longitudeSigns[1], (std::set<bool>{false, true}));
  EXPECT_EQ(latitudeSigns[2], (std::set<bool>{false, true}));
  EXPECT_EQ(longitudeSigns[2], std::set<bool>{false});
}

TEST(CardPlan, SeedDecidesTheDrive) {
  CardOptions options;
  options.folders = 1;
  const auto first = PlanCard(options);
  const auto again = PlanCard(options);
  options.seed = 2;
  const auto other = PlanCard(options);
  int same = 0, differ = 0;
  for (std::size_t i = 0; i < first.size(); ++i) {
    for (std::size_t r = 0; r < first[i].samples.size(); ++r) {
      const SensorSample& a = first[i].samples[r];
      const SensorSample& b = again[i].samples[r];
      const SensorSample& c = other[i].samples[r];
      same += a.latitude == b.latitude && a.gx == b.gx && a.speed == b.speed;
      differ += a.latitude != c.latitude || a.gx != c.gx || a.speed != c.speed;
    }
  }
  EXPECT_EQ(same, 500);
  EXPECT_GT(differ, 250);
}

TEST(CardPlan, RecordCountsAndTestFiles) {
  struct Case {
    CardOptions options;
    std::size_t files;
    std::size_t records;
    FileKind kind;
  };
  const auto with = [](auto change) {
    CardOptions options;
    options.folders = 1;
    options.files = 2;
    options.seconds = 2;
    change(options);
    return options;
  };
  const Case cases[] = {
      {with([](CardOptions&) {}), 2, 20, FileKind::kRecorder},
      {with([](CardOptions& o) { o.records = 0; }), 2, 0, FileKind::kRecorder},
      {with([](CardOptions& o) { o.records = 15; }), 2, 15, FileKind::kRecorder},
      {with([](CardOptions& o) { o.records = 16; }), 2, 16, FileKind::kRecorder},
      {with([](CardOptions& o) { o.cutShort = true; }), 2, 0, FileKind::kCutShort},
      {with([](CardOptions& o) { o.noCsmend = true; }), 2, 20, FileKind::kNoCsmend},
      {with([](CardOptions& o) { o.plain = true; }), 2, 0, FileKind::kPlainMovie},
  };
  for (const Case& c : cases) {
    const auto card = PlanCard(c.options);
    ASSERT_EQ(card.size(), c.files);
    for (const RecordingPlan& plan : card) {
      EXPECT_EQ(plan.samples.size(), c.records) << plan.path;
      EXPECT_EQ(plan.kind, c.kind) << plan.path;
    }
  }
  const auto extras = PlanCard(with([](CardOptions& o) {
    o.folders = 2;
    o.extras = true;
  }));
  ASSERT_EQ(extras.size(), 2u + 2u + 4u);
  EXPECT_EQ(extras[4].kind, FileKind::kCutShort);
  EXPECT_EQ(extras[5].kind, FileKind::kNoCsmend);
  EXPECT_EQ(extras[6].kind, FileKind::kPlainMovie);
  EXPECT_EQ(extras[7].kind, FileKind::kNotMovie);
  EXPECT_EQ(extras[7].path, "DCIM/101MEDIA/SYSINFO.TXT");
  EXPECT_EQ(extras[5].samples.size(), 20u);
}

TEST(CardPlan, FrameCountsFollowTheRate) {
  const struct {
    int num, den, seconds, frames;
  } cases[] = {{30, 1, 10, 300}, {30000, 1001, 10, 300}, {60, 1, 3, 180}, {24000, 1001, 1, 24}};
  for (const auto& c : cases) {
    CardOptions options;
    options.folders = 1;
    options.files = 1;
    options.fpsNum = c.num;
    options.fpsDen = c.den;
    options.seconds = c.seconds;
    EXPECT_EQ(PlanCard(options)[0].frames, c.frames) << c.num << "/" << c.den;
  }
}
