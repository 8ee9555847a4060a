#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "atom_builder.h"
#include "mkcard/card_plan.h"
#include "temp_dir.h"

namespace {

struct CliRun {
  int status = -1;
  std::string out;
  nlohmann::json json;
};

// Runs kestrel-cli with `args` (each quoted by the caller where needed) and
// reads its output; the JSON is parsed when the run succeeded.
CliRun RunCli(const std::string& args) {
  CliRun run;
  const std::string command = std::string(KESTREL_CLI_PATH) + " " + args + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (run.status == 0) run.json = nlohmann::json::parse(run.out, nullptr, false);
  return run;
}

std::string Quote(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

std::string ClockText(const mkcard::LocalClock& clock, int addSeconds) {
  using namespace std::chrono;
  const sys_days day = year_month_day{year{clock.year}, month{static_cast<unsigned>(clock.month)},
                                      std::chrono::day{static_cast<unsigned>(clock.day)}};
  const sys_seconds time = day + hours{clock.hour} + minutes{clock.minute} + seconds{clock.second} +
                           seconds{std::max(addSeconds, 0)};
  const sys_days date = floor<days>(time);
  const year_month_day ymd{date};
  const hh_mm_ss hms{time - date};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld:%02ld", static_cast<int>(ymd.year()),
                unsigned(ymd.month()), unsigned(ymd.day()), static_cast<long>(hms.hours().count()),
                static_cast<long>(hms.minutes().count()), static_cast<long>(hms.seconds().count()));
  return text;
}

int EventCode(const mkcard::SensorSample& s) {
  if (s.emergencyStop == 'D') return 6;
  if (s.userPoint == 'D') return 5;
  if (s.parking == 'D') return 7;
  switch (s.eventLetter) {
    case 'A':
      return 10;
    case 'B':
      return 11;
    case 'H':
      return 9;
    default:
      return -1;
  }
}

class InfoCommandTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("TZ", "Asia/Tokyo", 1);
    card_ = new TempDir();
    options_.folders = 1;
    options_.files = 2;
    options_.seconds = 3;
    options_.width = 320;
    options_.height = 180;
    options_.extras = true;
    const std::string command = std::string(KESTREL_MKCARD_PATH) +
                                " --folders 1 --files 2 --seconds 3 --size 320x180 --extras " +
                                Quote(card_->path()) + " >/dev/null 2>&1";
    written_ = std::system(command.c_str()) == 0;
  }
  static void TearDownTestSuite() { delete card_; }

  static TempDir* card_;
  static mkcard::CardOptions options_;
  static bool written_;
  TempDir dir_;
};

TempDir* InfoCommandTest::card_ = nullptr;
mkcard::CardOptions InfoCommandTest::options_;
bool InfoCommandTest::written_ = false;

TEST_F(InfoCommandTest, GivesBackWhatTheGeneratorWrote) {
  ASSERT_TRUE(written_);
  int recorders = 0;
  for (const mkcard::RecordingPlan& plan : mkcard::PlanCard(options_)) {
    if (plan.kind != mkcard::FileKind::kRecorder) continue;
    ++recorders;
    const CliRun run =
        RunCli("info " + Quote(card_->path() / plan.path) + " --records --frame-index");
    ASSERT_EQ(run.status, 0) << plan.path;
    const nlohmann::json& info = run.json;
    ASSERT_TRUE(info.is_object()) << run.out;
    EXPECT_EQ(info["recorder_file"], true);
    EXPECT_EQ(info["top_level"], nlohmann::json::array({"ftyp", "mdat", "moov", "udat", "free"}));
    EXPECT_EQ(info["width"], plan.width);
    EXPECT_EQ(info["height"], plan.height);
    EXPECT_EQ(info["frame_count"], plan.frames);
    EXPECT_EQ(info["frame_rate"], 30.0);
    EXPECT_EQ(info["frame_unit_ms"], 30.0);
    EXPECT_EQ(info["start"], ClockText(plan.start, 0));
    EXPECT_EQ(info["record_count"], plan.samples.size());

    const nlohmann::json& header = info["header"];
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(header["numbers"][i].get<float>(),
                      static_cast<float>(plan.header.numbers[i] / 1000.0));
    }
    EXPECT_EQ(header["mode"], std::string(1, plan.header.mode));
    char version[16];
    std::snprintf(version, sizeof version, "%02d%02d%02d", plan.header.version[0] % 100,
                  plan.header.version[1] % 100, plan.header.version[2] % 100);
    EXPECT_EQ(header["version"], version);
    EXPECT_EQ(header["quality"], std::string(1, plan.header.quality));
    EXPECT_EQ(header["byte24"], std::string(1, plan.header.byte24));
    EXPECT_EQ(header["decoded"], true);

    const nlohmann::json& records = info["records"];
    ASSERT_EQ(records.size(), plan.samples.size());
    double peak = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
      const mkcard::SensorSample& s = plan.samples[i];
      const nlohmann::json& r = records[i];
      SCOPED_TRACE(plan.path + " record " + std::to_string(i));
      EXPECT_EQ(r["seq"], i);
      EXPECT_EQ(r["valid"], s.fix ? 1 : 0);
      EXPECT_DOUBLE_EQ(r["lat"].get<double>(), s.latitude);
      EXPECT_DOUBLE_EQ(r["lon"].get<double>(), s.longitude);
      EXPECT_EQ(r["speed"], s.speed);
      EXPECT_EQ(r["time"], ClockText(s.clock, s.addSeconds));
      EXPECT_DOUBLE_EQ(r["x"].get<double>(), s.gx / 1000.0);
      EXPECT_DOUBLE_EQ(r["y"].get<double>(), s.gy / 1000.0);
      EXPECT_DOUBLE_EQ(r["z"].get<double>(), s.gz / 1000.0);
      EXPECT_EQ(r["event"], EventCode(s));
      const int axis = s.axis == 'X' ? 1 : s.axis == 'Y' ? 2 : s.axis == 'Z' ? 3 : 0;
      EXPECT_EQ(r["axis"], axis);
      EXPECT_EQ(r["flag8"], s.speeding == 'D' ? 8 : 0);
      EXPECT_EQ(r["manual"], s.manualMark ? 1 : 0);
      EXPECT_EQ(r["vehicle_bytes"], nlohmann::json(s.vehicleBytes));
      EXPECT_EQ(r["vehicle_words"], nlohmann::json(s.vehicleWords));
      peak = std::max(
          {peak, std::abs(s.gx / 1000.0), std::abs(s.gy / 1000.0), std::abs(s.gz / 1000.0)});
    }
    EXPECT_DOUBLE_EQ(info["peak_g"].get<double>(), peak);
    const nlohmann::json& index = info["frame_index"];
    ASSERT_EQ(index.size(), static_cast<std::size_t>(plan.frames));
    // Frame unit 30: records 0, 1, 2 start at frames 0, 3, 6; each frame
    // shows the record before the cursor, which has passed the frame.
    EXPECT_EQ(index[2], 0);
    EXPECT_EQ(index[3], 1);
    EXPECT_EQ(index[6], 2);
    for (std::size_t i = 1; i < index.size(); ++i) {
      EXPECT_GE(index[i].get<int>() - index[i - 1].get<int>(), 0);
      EXPECT_LE(index[i].get<int>() - index[i - 1].get<int>(), 1);
    }
  }
  EXPECT_EQ(recorders, 2);
}

TEST_F(InfoCommandTest, OddFilesOfTheCard) {
  ASSERT_TRUE(written_);
  int odd = 0;
  for (const mkcard::RecordingPlan& plan : mkcard::PlanCard(options_)) {
    if (plan.kind == mkcard::FileKind::kRecorder) continue;
    ++odd;
    const CliRun run = RunCli("info " + Quote(card_->path() / plan.path));
    ASSERT_EQ(run.status, 0) << plan.path;
    const nlohmann::json& info = run.json;
    SCOPED_TRACE(plan.path);
    EXPECT_EQ(info["recorder_file"], false);
    switch (plan.kind) {
      case mkcard::FileKind::kCutShort:
        // Only the atoms before the cut media atom are there.
        EXPECT_EQ(info["top_level"], nlohmann::json::array({"ftyp"}));
        EXPECT_EQ(info["record_count"], 0);
        EXPECT_EQ(info["start"], nullptr);
        EXPECT_EQ(info["frame_unit_ms"], nullptr);
        break;
      case mkcard::FileKind::kNoCsmend:
        EXPECT_EQ(info["record_count"], plan.samples.size());
        EXPECT_EQ(info["start"], ClockText(plan.start, 0));
        break;
      case mkcard::FileKind::kPlainMovie:
        EXPECT_EQ(info["record_count"], 0);
        EXPECT_EQ(info["start"], nullptr);
        EXPECT_EQ(info["header"]["decoded"], false);
        EXPECT_EQ(info["frame_unit_ms"], 30.0);
        break;
      case mkcard::FileKind::kNotMovie:
        EXPECT_EQ(info["top_level"], nlohmann::json::array());
        EXPECT_EQ(info["width"], -1);
        EXPECT_EQ(info["frame_count"], -1);
        EXPECT_EQ(info["frame_rate"], -1);
        break;
      case mkcard::FileKind::kRecorder:
        break;
    }
  }
  EXPECT_EQ(odd, 4);
}

TEST_F(InfoCommandTest, BuiltFilesAndTheirAbsentParts) {
  using atoms::Atom;
  using atoms::Cat;
  // No stts, no stsd, a sensor atom whose count is 0.
  const std::filesystem::path bare =
      atoms::WriteIn(dir_.path(), "bare.MOV",
                     Cat({atoms::Ftyp(), Atom("moov", {Atom("mvhd", atoms::Bytes(100, 0))}),
                          atoms::Udat({}), atoms::Closing()}));
  CliRun run = RunCli("info " + Quote(bare) + " --records --frame-index");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.json["width"], -1);
  EXPECT_EQ(run.json["height"], -1);
  EXPECT_EQ(run.json["frame_count"], -1);
  EXPECT_EQ(run.json["frame_rate"], -1);
  EXPECT_EQ(run.json["frame_unit_ms"], nullptr);
  EXPECT_EQ(run.json["start"], "0000-00-00 00:00:00");
  EXPECT_EQ(run.json["record_count"], 0);
  EXPECT_EQ(run.json["records"], nlohmann::json::array());
  EXPECT_EQ(run.json["peak_g"], nullptr);
  EXPECT_EQ(run.json["frame_index"], nullptr);

  // 29.97 frames a second: a rate of 29.97..., a frame unit of 29.
  const std::filesystem::path ntsc =
      atoms::WriteIn(dir_.path(), "ntsc.MOV",
                     atoms::Cat({atoms::Ftyp(), atoms::Mdat(), atoms::Moov(30, 3003),
                                 atoms::Udat(atoms::SampleRecords(10))}));
  run = RunCli("info " + Quote(ntsc) + " --frame-index");
  ASSERT_EQ(run.status, 0);
  EXPECT_FLOAT_EQ(run.json["frame_rate"].get<float>(), 90000.0f / 3003.0f);
  EXPECT_EQ(run.json["frame_unit_ms"], 29);
  EXPECT_EQ(run.json["frame_index"].size(), 30u);
  EXPECT_EQ(run.json.contains("records"), false);

  // A garbled atom name is written as a JSON string all the same.
  const std::filesystem::path odd = atoms::WriteIn(
      dir_.path(), "odd.MOV", Cat({atoms::Ftyp(), Atom("fre\xe9", atoms::Bytes(4, 0))}));
  run = RunCli("info " + Quote(odd));
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.json["top_level"], nlohmann::json::array({"ftyp"}));
}

TEST_F(InfoCommandTest, ExitStatus) {
  const std::filesystem::path file = atoms::WriteIn(dir_.path(), "a.MOV", atoms::RecorderMovie(3));
  EXPECT_EQ(RunCli("info " + Quote(dir_.path() / "missing.MOV")).status, 1);
  EXPECT_EQ(RunCli("info " + Quote(dir_.path())).status, 1);
  EXPECT_EQ(RunCli("info").status, 2);
  EXPECT_EQ(RunCli("info " + Quote(file) + " --bogus").status, 2);
  EXPECT_EQ(RunCli("info " + Quote(file) + " " + Quote(file)).status, 2);
  EXPECT_EQ(RunCli("info " + Quote(file)).status, 0);

  // The failure is one line on standard error.
  const std::string command = std::string(KESTREL_CLI_PATH) + " info " +
                              Quote(dir_.path() / "missing.MOV") + " 2>&1 >/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string err;
  char buffer[512];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) err.append(buffer, got);
  pclose(pipe);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("missing.MOV"), std::string::npos) << err;
}

}  // namespace
