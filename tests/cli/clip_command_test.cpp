// kestrel-cli clip on a generated drive: the recorder's clock and
// NAME@SECONDS name the same pictures, --event takes the seconds around the
// event `kestrel-cli events` lists with that number, an existing clip is
// replaced only with --force, and wrong arguments and times outside the
// drive are refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "mkcard/program_runner.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

mkcard::ProgramResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), KESTREL_CLI_PATH);
  return mkcard::RunProgram(args);
}

TEST(ClipCommand, WritesTheStretchAskedForAndRefusesWhatItCannot) {
  TempDir dir;
  const fs::path card = dir.path() / "card";
  const mkcard::ProgramResult made =
      mkcard::RunProgram({KESTREL_MKCARD_PATH, "--folders", "1", "--files", "3", "--seconds", "10",
                          "--size", "160x120", card.string()});
  ASSERT_EQ(made.failure, "") << made.errors;
  const fs::path second = card / "DCIM" / "100MEDIA" / "0612083010_M.MOV";
  const fs::path byName = dir.path() / "by_name.MOV";
  const fs::path byClock = dir.path() / "by_clock.MOV";

  const mkcard::ProgramResult named = Cli({"clip", card.string(), "--from", "0612083000_A@9.5",
                                           "--to", "0612083010_M.MOV@1.25", "-o", byName.string()});
  ASSERT_EQ(named.failure, "") << named.errors;
  EXPECT_EQ(named.output, byName.string() + "\n");
  EXPECT_NE(named.errors.find("53 pictures (1.767 s) from picture 285 of 0612083000_A.MOV to "
                              "picture 37 of 0612083010_M.MOV"),
            std::string::npos)
      << named.errors;
  const mkcard::ProgramResult clocked =
      Cli({"clip", card.string(), "--from", "2024-06-12T08:30:09.5", "--to",
           second.string() + "@1.25", "-o", byClock.string()});
  ASSERT_EQ(clocked.failure, "") << clocked.errors;
  EXPECT_EQ(Read(byClock), Read(byName));
  const mkcard::ProgramResult info = Cli({"info", byName.string()});
  EXPECT_NE(info.output.find("\"recorder_file\": true"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("\"start\": \"2024-06-12 08:30:09\""), std::string::npos)
      << info.output;

  // Event 7 of the drive is a mark of the user's 5 s into the second
  // recording: 6 s before it and 2 s after.
  const std::string events = Cli({"events", card.string()}).output;
  std::vector<std::string> lines;
  std::istringstream text(events);
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 7u) << events;
  ASSERT_NE(lines[6].find("user-point"), std::string::npos) << events;
  ASSERT_NE(lines[6].find("\t5.0\t"), std::string::npos) << events;
  ASSERT_NE(lines[6].find("0612083010_M.MOV"), std::string::npos) << events;
  const fs::path around = dir.path() / "around.MOV";
  const mkcard::ProgramResult event = Cli({"clip", card.string(), "--event", "7", "--before", "6",
                                           "--after", "2", "-o", around.string()});
  ASSERT_EQ(event.failure, "") << event.errors;
  EXPECT_NE(event.errors.find("240 pictures (8.000 s) from picture 270 of 0612083000_A.MOV to "
                              "picture 209 of 0612083010_M.MOV"),
            std::string::npos)
      << event.errors;

  const std::string kept = Read(byName);
  const struct {
    std::vector<std::string> args;
    const char* failure;  // how the program ends
    const char* reason;   // a part of what it says
  } refused[] = {
      {{"--from", "0612083000_A@1", "--to", "0612083000_A@2", "-o", byName.string()},
       "status 1",
       "--force replaces it"},
      {{"--from", "2024-06-12T09:00:00", "--to", "0612083000_A@2", "-o", dir.path() / "x.MOV"},
       "status 1",
       "no recording of the source plays at 2024-06-12 09:00:00"},
      {{"--from", "0612083000_A@3", "--to", "0612083000_A@2", "-o", dir.path() / "x.MOV"},
       "status 1",
       "does not come after the start"},
      {{"--from", "NOPE@3", "--to", "0612083000_A@2", "-o", dir.path() / "x.MOV"},
       "status 1",
       "NOPE is not a recording of the source"},
      {{"--event", "99", "-o", dir.path() / "x.MOV"}, "status 1", "the source lists "},
      {{"--event", "7", "--from", "0612083000_A@3", "-o", dir.path() / "x.MOV"},
       "status 2",
       "usage"},
      {{"--from", "0612083000_A@3", "--to", "0612083000_A@4"}, "status 2", "usage"},
  };
  for (const auto& c : refused) {
    std::vector<std::string> args = {"clip", card.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const mkcard::ProgramResult result = Cli(args);
    EXPECT_NE(result.failure.find(c.failure), std::string::npos)
        << c.reason << ": " << result.failure;
    EXPECT_NE(result.errors.find(c.reason), std::string::npos) << result.errors;
  }
  EXPECT_EQ(Read(byName), kept);
  EXPECT_FALSE(fs::exists(dir.path() / "x.MOV"));
  const mkcard::ProgramResult forced =
      Cli({"clip", card.string(), "--from", "0612083000_A@1", "--to", "0612083000_A@2", "-o",
           byName.string(), "--force"});
  ASSERT_EQ(forced.failure, "") << forced.errors;
  EXPECT_NE(Read(byName), kept);
}

}  // namespace
