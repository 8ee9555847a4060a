#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "mkcard/card_plan.h"
#include "mkcard/program_runner.h"

namespace {

namespace fs = std::filesystem;

mkcard::ProgramResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), KESTREL_CLI_PATH);
  return mkcard::RunProgram(args);
}

class CatalogueCommands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new fs::path(fs::temp_directory_path() / ("kestrel-cli-" + std::to_string(getpid())));
    options_.folders = 2;
    options_.files = 2;
    options_.seconds = 2;
    options_.width = 160;
    options_.height = 120;
    options_.triggers = "AGPM";
    const mkcard::ProgramResult made = mkcard::RunProgram(
        {KESTREL_MKCARD_PATH, "--folders", "2", "--files", "2", "--seconds", "2", "--size",
         "160x120", "--triggers", "AGPM", (*folder_ / "card").string()});
    ASSERT_EQ(made.failure, "") << made.errors;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*folder_);
    delete folder_;
  }
  static fs::path Card() { return *folder_ / "card"; }

  static fs::path* folder_;
  static mkcard::CardOptions options_;
};
fs::path* CatalogueCommands::folder_ = nullptr;
mkcard::CardOptions CatalogueCommands::options_;

TEST_F(CatalogueCommands, ListShowsTheCardsRecordingsInOrder) {
  const std::vector<mkcard::RecordingPlan> plan = mkcard::PlanCard(options_);
  const mkcard::ProgramResult text = Cli({"list", Card().string()});
  ASSERT_EQ(text.failure, "") << text.errors;
  std::istringstream lines(text.output);
  std::string line;
  for (const mkcard::RecordingPlan& recording : plan) {
    ASSERT_TRUE(std::getline(lines, line));
    const fs::path path = Card() / recording.path;
    EXPECT_EQ(line, path.filename().string() + '\t' + recording.trigger + '\t' +
                        std::to_string(fs::file_size(path)) + '\t' + path.string());
  }
  EXPECT_FALSE(std::getline(lines, line));

  const mkcard::ProgramResult json =
      Cli({"list", (Card() / "DCIM" / "101MEDIA").string(), "--json"});
  ASSERT_EQ(json.failure, "") << json.errors;
  const nlohmann::json list = nlohmann::json::parse(json.output);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1]["name"], fs::path(plan[3].path).filename().string());
  EXPECT_EQ(list[1]["trigger"], "M");
  EXPECT_EQ(list[1]["size"], fs::file_size(Card() / plan[3].path));
  EXPECT_EQ(list[1]["path"], (Card() / plan[3].path).string());

  const mkcard::ProgramResult single = Cli({"list", (Card() / plan[0].path).string(), "--json"});
  EXPECT_EQ(nlohmann::json::parse(single.output).size(), 1u);
  EXPECT_EQ(Cli({"list", (*folder_ / "nothing").string()}).output, "");
  EXPECT_NE(Cli({"list"}).failure, "");
  EXPECT_NE(Cli({"list", "a", "--xml"}).failure, "");
}

TEST_F(CatalogueCommands, CsvJoinAndGpxWriteTheirFiles) {
  const fs::path out = *folder_ / "out";
  fs::create_directories(out);
  const mkcard::ProgramResult csv = Cli({"csv", Card().string(), out.string()});
  ASSERT_EQ(csv.failure, "") << csv.errors;
  const fs::path list = csv.output.substr(0, csv.output.size() - 1);
  EXPECT_TRUE(std::regex_match(list.filename().string(), std::regex(R"(Dv_\d{8}_\d{6}\.csv)")));
  EXPECT_TRUE(fs::exists(list));
  // A clock an hour slow, corrected: the list is named and dated an hour on.
  const fs::path later = *folder_ / "later";
  fs::create_directories(later);
  const mkcard::ProgramResult shifted =
      Cli({"csv", Card().string(), later.string(), "--time-offset", "3600"});
  ASSERT_EQ(shifted.failure, "") << shifted.errors;
  std::string name = list.filename().string();
  name[13] = static_cast<char>(name[13] + 1);  // Dv_YYYYMMDD_hh: the hour's second digit
  EXPECT_EQ(fs::path(shifted.output.substr(0, shifted.output.size() - 1)).filename(), name);
  const mkcard::ProgramResult badCsv = Cli({"csv", Card().string(), (out / "missing").string()});
  EXPECT_NE(badCsv.failure, "");
  EXPECT_NE(badCsv.errors.find("CSVファイルが作成できません。"), std::string::npos);

  const std::vector<mkcard::RecordingPlan> plan = mkcard::PlanCard(options_);
  const fs::path joined = out / "joined.MOV";
  const mkcard::ProgramResult join = Cli({"join", joined.string(), (Card() / plan[0].path).string(),
                                          (Card() / plan[1].path).string()});
  ASSERT_EQ(join.failure, "") << join.errors;
  EXPECT_GT(fs::file_size(joined), fs::file_size(Card() / plan[0].path));
  const mkcard::ProgramResult badJoin = Cli({"join", (out / "x.MOV").string(), list.string()});
  EXPECT_NE(badJoin.failure, "");
  EXPECT_NE(badJoin.errors.find("動画の連結に失敗しました。"), std::string::npos);
  EXPECT_FALSE(fs::exists(out / "x.MOV"));

  // The routes of two recordings: one track each, one point per fixed
  // record, a new segment after every stretch without a fix.
  const fs::path gpx = out / "route.gpx";
  const std::vector<std::string> inputs = {(Card() / plan[0].path).string(),
                                           (Card() / plan[1].path).string()};
  const auto route = [&](const fs::path& file, const std::string& zone) {
    return Cli({"gpx", inputs[0], inputs[1], "-o", file.string(), "--time-zone", zone});
  };
  ASSERT_EQ(route(gpx, "Asia/Tokyo").failure, "");
  ASSERT_EQ(route(out / "utc.gpx", "UTC").failure, "");
  int fixed = 0, segments = 0;
  std::string speeds;
  for (const mkcard::RecordingPlan* recording : {&plan[0], &plan[1]}) {
    bool inFix = false;
    for (const mkcard::SensorSample& sample : recording->samples) {
      if (sample.fix) {
        char speed[32];
        std::snprintf(speed, sizeof speed, "%s%.2f", speeds.empty() ? "" : ",", sample.speed / 3.6);
        speeds += speed;
      }
      fixed += sample.fix;
      segments += sample.fix && !inFix;
      inFix = sample.fix;
    }
  }
  ASSERT_GT(fixed, 0);
  // gpxpy and gpsbabel read the file without a word and give back the same
  // points; times rise within each segment and lie nine hours before the
  // recorder's clock read as UTC; speeds are the records' km/h in m/s.
  const std::string check = R"(
import os, subprocess, sys, gpxpy
tokyo, utc = (gpxpy.parse(open(f, encoding="utf-8")) for f in sys.argv[1:3])
points, segments = int(sys.argv[3]), int(sys.argv[4])
assert [t.name for t in tokyo.tracks] == [n.rsplit("/", 1)[-1] for n in sys.argv[6:]]
segs = [s for t in tokyo.tracks for s in t.segments]
assert len(segs) == segments, len(segs)
pts = [p for s in segs for p in s.points]
assert len(pts) == points, len(pts)
for s in segs:
    times = [p.time for p in s.points]
    assert all(a < b for a, b in zip(times, times[1:])), times
upts = [p for t in utc.tracks for s in t.segments for p in s.points]
assert all((u.time - p.time).total_seconds() == 9 * 3600 for p, u in zip(pts, upts))
ns = "{http://www.garmin.com/xmlschemas/TrackPointExtension/v2}"
speeds = [float(p.extensions[0].find(ns + "speed").text) for p in pts]
assert speeds == [float(v) for v in sys.argv[5].split(",")], speeds
babel = subprocess.run(["gpsbabel", "-t", "-i", "gpx", "-f", sys.argv[1], "-o", "unicsv",
                        "-F", "-"], capture_output=True, text=True, check=True,
                       env=dict(os.environ, TZ="UTC"))
assert babel.stderr == "", babel.stderr
rows = [r.split(",") for r in babel.stdout.strip().splitlines()[1:]]
assert len(rows) == points, len(rows)
for r, p in zip(rows, pts):
    assert abs(float(r[1]) - p.latitude) < 1e-6 and abs(float(r[2]) - p.longitude) < 1e-6, r
    assert r[4].startswith(p.time.strftime("%H:%M:%S")), (r, p.time)
)";
  const mkcard::ProgramResult readers = mkcard::RunProgram(
      {"/usr/bin/python3", "-c", check, gpx.string(), (out / "utc.gpx").string(),
       std::to_string(fixed), std::to_string(segments), speeds, inputs[0], inputs[1]});
  EXPECT_EQ(readers.failure, "") << readers.errors;

  // Only recorder files give a route: not the CSV list, not a cut recording.
  const fs::path cut = out / "cut.MOV";
  fs::copy_file(inputs[0], cut);
  fs::resize_file(cut, fs::file_size(cut) / 2);
  for (const fs::path& input : {list, cut}) {
    const mkcard::ProgramResult refused =
        Cli({"gpx", input.string(), "-o", (out / "x.gpx").string()});
    EXPECT_NE(refused.errors.find("is not a recorder movie"), std::string::npos) << refused.errors;
  }
  EXPECT_FALSE(fs::exists(out / "x.gpx"));
  EXPECT_NE(Cli({"gpx", inputs[0]}).failure, "");
  EXPECT_NE(route(out / "y.gpx", "Mars/Olympus").errors.find("unknown time zone"),
            std::string::npos);
}

// Names a user or another program gave: a comma, a quote, a tab, CR, LF and
// bytes that are not UTF-8, in the folder's and the files' names.
TEST_F(CatalogueCommands, OddNamesKeepTheirColumnsAndReadBack) {
  const std::vector<mkcard::RecordingPlan> plan = mkcard::PlanCard(options_);
  const fs::path folder = *folder_ / "odd, \"folder\"\t\xff";
  fs::create_directories(folder);
  const std::vector<std::string> names = {"a,b_0405060_G.MOV", "q\"uote\"0506_G.MOV",
                                          "tab\there_0607_M.MOV", "line\r\nbreak_A.MOV",
                                          "bytes\xff\xfe_0809_P.MOV"};
  for (const std::string& name : names) fs::create_hard_link(Card() / plan[0].path, folder / name);

  const mkcard::ProgramResult text = Cli({"list", folder.string()});
  ASSERT_EQ(text.failure, "") << text.errors;
  EXPECT_EQ(std::count(text.output.begin(), text.output.end(), '\n'), 5) << text.output;
  std::istringstream lines(text.output);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
    EXPECT_EQ(line.find('\r'), std::string::npos) << line;
  }

  const fs::path out = *folder_ / "odd-out";
  fs::create_directories(out);
  const mkcard::ProgramResult json = Cli({"list", folder.string(), "--json"});
  ASSERT_EQ(json.failure, "") << json.errors;
  std::ofstream(out / "list.json") << json.output;
  const mkcard::ProgramResult csv = Cli({"csv", folder.string(), out.string()});
  ASSERT_EQ(csv.failure, "") << csv.errors;
  const std::string list = csv.output.substr(0, csv.output.size() - 1);

  // Python reads every CSV row with its nine columns and the names as they
  // are, and every path of the JSON opens.
  const std::string check = R"(
import csv, json, os, sys
paths = [e["path"] for e in json.load(open(sys.argv[1], encoding="utf-8"))]
assert len(paths) == 5 and all(os.path.isfile(p) for p in paths), paths
rows = list(csv.reader(open(sys.argv[2], encoding="utf-8", errors="surrogateescape", newline="")))
assert len(rows) == 6 and all(len(r) == 9 for r in rows), rows
names = sorted(os.fsencode(r[0]) for r in rows[1:])
assert names == sorted(os.fsencode(os.path.basename(p)) for p in paths), names
)";
  const mkcard::ProgramResult python =
      mkcard::RunProgram({"/usr/bin/python3", "-c", check, (out / "list.json").string(), list});
  EXPECT_EQ(python.failure, "") << python.errors;

  // The list is there now: it is replaced only when asked.
  const mkcard::ProgramResult again = Cli({"csv", folder.string(), out.string()});
  EXPECT_NE(again.failure, "");
  EXPECT_NE(again.errors.find("exists already"), std::string::npos) << again.errors;
  EXPECT_EQ(Cli({"csv", folder.string(), out.string(), "--force"}).failure, "");
  EXPECT_NE(Cli({"csv", folder.string(), ""}).failure, "");
}

// The icon the recorder's letters give a record on one channel.
int PlannedIcon(const mkcard::SensorSample& s, int channel, bool gMarks) {
  const int event = s.emergencyStop == 'D' ? 6
                    : s.userPoint == 'D'   ? 5
                    : s.parking == 'D'     ? 7
                    : s.eventLetter == 'A' ? 10
                    : s.eventLetter == 'B' ? 11
                    : s.eventLetter == 'H' ? 9
                                           : -1;
  switch (channel) {
    case 0:
      return gMarks && s.axis == 'X' ? 0 : -1;
    case 1:
      return gMarks && s.axis == 'Y' ? 2 : -1;
    case 2:
      return gMarks && s.axis == 'Z' ? 3 : -1;
    case 3:
      return event == 5 ? 5 : -1;
    case 4:
      return event == 6 ? 6 : -1;
    case 5:
      return gMarks && event == 7 ? 7 : -1;
    case 6:
      return s.speeding == 'D' ? 8 : -1;
    default:
      return event >= 9 ? event : -1;
  }
}

TEST_F(CatalogueCommands, EventsOfTheCardAreThoseTheRecorderWrote) {
  // What the generator wrote: a mark starts where a record's channel
  // changes; speeding goes with any other mark, the others take the first
  // channel that has one.
  const std::vector<mkcard::RecordingPlan> plan = mkcard::PlanCard(options_);
  using Event = std::tuple<std::string, std::string, int>;  // recording, kind, record
  const std::array<const char*, 8> kinds = {"impact-x",   "impact-y",       "impact-z",
                                            "user-point", "emergency-stop", "parking",
                                            "speeding",   "drive-assist"};
  std::multiset<Event> planned;
  for (const mkcard::RecordingPlan& recording : plan) {
    const bool gMarks = recording.trigger != 'A' && recording.trigger != 'P';
    const std::string name = fs::path(recording.path).filename().string();
    for (std::size_t i = 0; i < recording.samples.size(); ++i) {
      for (const int channel : {6, 0, 1, 2, 3, 4, 5, 7}) {
        const int icon = PlannedIcon(recording.samples[i], channel, gMarks);
        if (icon < 0) continue;
        if (i == 0 || PlannedIcon(recording.samples[i - 1], channel, gMarks) != icon) {
          planned.emplace(name, kinds[channel], static_cast<int>(i));
        }
        if (channel != 6) break;
      }
    }
  }
  ASSERT_FALSE(planned.empty());

  // A file that only looks like a recording is listed, as unreadable.
  const fs::path card = *folder_ / "events-card";
  fs::create_directories(card / "DCIM");
  fs::create_directory_symlink(Card() / "DCIM" / "100MEDIA", card / "DCIM" / "100MEDIA");
  fs::create_directory_symlink(Card() / "DCIM" / "101MEDIA", card / "DCIM" / "101MEDIA");
  fs::create_directories(card / "DCIM" / "102MEDIA");
  std::ofstream(card / "DCIM" / "102MEDIA" / "0101000000_G.MOV") << "not a movie";

  const mkcard::ProgramResult run = Cli({"events", card.string(), "--json"});
  ASSERT_EQ(run.failure, "") << run.errors;
  const nlohmann::json events = nlohmann::json::parse(run.output);
  std::multiset<Event> found;
  std::vector<std::string> times;
  int unreadable = 0;
  for (const nlohmann::json& e : events) {
    if (e.contains("unreadable")) {
      ++unreadable;
      continue;
    }
    found.emplace(fs::path(e["recording"].get<std::string>()).filename().string(), e["kind"],
                  e["record"]);
    times.push_back(e["time"]);
  }
  EXPECT_EQ(found, planned);
  EXPECT_EQ(unreadable, 1);
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));

  // One kind: only its events, the same count as planned; a kind that does
  // not exist is refused with the list of kinds.
  const mkcard::ProgramResult speeding = Cli({"events", Card().string(), "--kind", "speeding"});
  ASSERT_EQ(speeding.failure, "") << speeding.errors;
  const auto planned6 = std::count_if(planned.begin(), planned.end(),
                                      [](const Event& e) { return std::get<1>(e) == "speeding"; });
  EXPECT_EQ(std::count(speeding.output.begin(), speeding.output.end(), '\n'), planned6);
  EXPECT_EQ(speeding.output.find("impact"), std::string::npos);
  EXPECT_NE(Cli({"events", Card().string(), "--kind", "crash"}).errors.find("drive-assist"),
            std::string::npos);
}

}  // namespace
