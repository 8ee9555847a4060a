// kestrel-cli on every kind of recording recorders write: each codec,
// B-frames or none, each frame rate, size and sound track, one at a time
// beside the defaults. The pictures change, the sensor track does not: the
// commands give the pictures' details and, for events and routes, the same
// output as for the default recording.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "mkcard/program_runner.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

mkcard::ProgramResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), KESTREL_CLI_PATH);
  return mkcard::RunProgram(args);
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Kind {
  std::vector<std::string> options;  // the generator's, beside --folders 1 --files 1
  int width, height;
  int frames;
  double rate;
  const char* csvRate;  // the CSV list's frame rate column
};

// What the commands say about one recording, less what names its folder.
struct Report {
  std::string events;
  std::string route;
};

Report Check(const Kind& kind, const fs::path& folder) {
  std::vector<std::string> make = {KESTREL_MKCARD_PATH, "--folders", "1", "--files", "1"};
  make.insert(make.end(), kind.options.begin(), kind.options.end());
  make.push_back(folder.string());
  const mkcard::ProgramResult made = mkcard::RunProgram(make);
  EXPECT_EQ(made.failure, "") << made.errors;
  const fs::path file = folder / "DCIM" / "100MEDIA" / "0612083000_A.MOV";
  Report report;

  const mkcard::ProgramResult info = Cli({"info", file.string(), "--frame-index"});
  EXPECT_EQ(info.failure, "") << info.errors;
  const nlohmann::json json = nlohmann::json::parse(info.output, nullptr, false);
  EXPECT_EQ(json["top_level"], nlohmann::json::array({"ftyp", "mdat", "moov", "udat", "free"}));
  EXPECT_EQ(json["recorder_file"], true);
  EXPECT_EQ(json["width"], kind.width);
  EXPECT_EQ(json["height"], kind.height);
  EXPECT_EQ(json["frame_count"], kind.frames);
  EXPECT_NEAR(json["frame_rate"].get<double>(), kind.rate, 1e-4);
  EXPECT_EQ(json["start"], "2024-06-12 08:30:00");
  EXPECT_EQ(json["frame_index"].size(), static_cast<std::size_t>(kind.frames));

  const mkcard::ProgramResult list = Cli({"list", folder.string()});
  EXPECT_EQ(list.failure, "") << list.errors;
  EXPECT_EQ(list.output, "0612083000_A.MOV\tA\t" + std::to_string(fs::file_size(file)) + "\t" +
                             file.string() + "\n");

  const fs::path out = folder / "out";
  fs::create_directories(out);
  const mkcard::ProgramResult csv = Cli({"csv", folder.string(), out.string()});
  EXPECT_EQ(csv.failure, "") << csv.errors;
  std::istringstream lines(ReadText(csv.output.substr(0, csv.output.size() - 1)));
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  const std::string length = kind.frames / kind.rate < 1.5 ? "00:00:01" : "00:00:02";
  EXPECT_TRUE(std::regex_search(line, std::regex("^0612083000_A\\.MOV,2024/06/12,08:30:00," +
                                                 length + ",.*," + kind.csvRate + ",\\d+MB\r$")))
      << line;

  const mkcard::ProgramResult events = Cli({"events", folder.string(), "--json"});
  EXPECT_EQ(events.failure, "") << events.errors;
  report.events = std::regex_replace(events.output, std::regex("\"recording\": \"[^\"]*\""), "");

  const mkcard::ProgramResult gpx = Cli({"gpx", file.string(), "-o", (out / "route.gpx").string()});
  EXPECT_EQ(gpx.failure, "") << gpx.errors;
  report.route = ReadText(out / "route.gpx");
  return report;
}

TEST(RecordingKinds, EveryCommandReadsEveryKind) {
  const std::vector<std::string> twoSeconds = {"--seconds", "2", "--size", "160x120"};
  const auto with = [&](std::vector<std::string> options) {
    options.insert(options.begin(), twoSeconds.begin(), twoSeconds.end());
    return options;
  };
  const Kind kinds[] = {
      {with({}), 160, 120, 60, 30.0, "30fps"},
      {with({"--codec", "hevc"}), 160, 120, 60, 30.0, "30fps"},
      {with({"--codec", "hevc", "--bframes", "0"}), 160, 120, 60, 30.0, "30fps"},
      {with({"--bframes", "0"}), 160, 120, 60, 30.0, "30fps"},
      {with({"--bframes", "3"}), 160, 120, 60, 30.0, "30fps"},
      {with({"--fps", "29.97"}), 160, 120, 60, 30000.0 / 1001, "30fps"},
      {with({"--fps", "60"}), 160, 120, 120, 60.0, "60fps"},
      {with({"--fps", "25"}), 160, 120, 50, 25.0, "25fps"},
      {with({"--audio", "stereo"}), 160, 120, 60, 30.0, "30fps"},
      {with({"--audio", "pcm"}), 160, 120, 60, 30.0, "30fps"},
      {with({"--audio", "none"}), 160, 120, 60, 30.0, "30fps"},
      {with({"--size", "720p"}), 1280, 720, 60, 30.0, "30fps"},
      {{"--seconds", "1", "--size", "4k", "--codec", "hevc", "--fps", "29.97", "--audio", "pcm"},
       3840,
       2160,
       30,
       30000.0 / 1001,
       "30fps"},
  };
  TempDir dir;
  Report first;
  for (std::size_t i = 0; i < std::size(kinds); ++i) {
    std::string name;
    for (const std::string& option : kinds[i].options) name += option + " ";
    SCOPED_TRACE(name);
    const Report report = Check(kinds[i], dir.path() / std::to_string(i));
    if (i == 0) {
      first = report;
      EXPECT_NE(first.events.find("\"kind\""), std::string::npos) << first.events;
      EXPECT_NE(first.route.find("<trkpt"), std::string::npos) << first.route;
    } else if (kinds[i].options[1] == twoSeconds[1]) {
      EXPECT_EQ(report.events, first.events);
      EXPECT_EQ(report.route, first.route);
    }
  }
}

}  // namespace
