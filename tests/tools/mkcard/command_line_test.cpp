// The generator's command line: the parser, and the program's exit status.
#include "mkcard/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "recorder_file.h"

using mkcard::CommandLine;
using mkcard::ParseCommandLine;

TEST(CommandLine, ReadsEveryOption) {
  const CommandLine line = ParseCommandLine(
      {"--folders",      "2",       "--files",   "7",           "--seconds", "3",
       "--size",         "320x180", "--fps",     "29.97",       "--seed",    "18446744073709551615",
       "--triggers",     "GS",      "--quality", "N",           "--records", "16",
       "--numbered",     "3",       "--extras",  "--no-csmend", "--gop",     "12",
       "--longer-sound", "8",       "out"});
  ASSERT_EQ(line.error, "");
  const mkcard::CardOptions& o = line.options;
  EXPECT_EQ(line.outdir, "out");
  EXPECT_EQ(o.folders, 2);
  EXPECT_EQ(o.files, 7);
  EXPECT_EQ(o.seconds, 3);
  EXPECT_EQ(o.width, 320);
  EXPECT_EQ(o.height, 180);
  EXPECT_EQ(o.fpsNum, 30000);
  EXPECT_EQ(o.fpsDen, 1001);
  EXPECT_EQ(o.seed, 18446744073709551615ULL);
  EXPECT_EQ(o.triggers, "GS");
  EXPECT_EQ(o.quality, 'N');
  EXPECT_EQ(o.records, 16);
  EXPECT_EQ(o.numbered, 3);
  EXPECT_EQ(o.gop, 12);
  EXPECT_EQ(o.longerSoundMs, 8);
  EXPECT_TRUE(o.extras);
  EXPECT_TRUE(o.noCsmend);
  EXPECT_FALSE(o.cutShort);
  EXPECT_FALSE(o.plain);
}

TEST(CommandLine, FrameRates) {
  const struct {
    const char* text;
    int num, den;
  } cases[] = {{"30", 30, 1},          {"60", 60, 1},           {"29.97", 30000, 1001},
               {"59.94", 60000, 1001}, {"23.976", 24000, 1001}, {"30000/1001", 30000, 1001},
               {"25/1", 25, 1}};
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine({"--fps", c.text, "out"});
    ASSERT_EQ(line.error, "") << c.text;
    EXPECT_EQ(line.options.fpsNum, c.num) << c.text;
    EXPECT_EQ(line.options.fpsDen, c.den) << c.text;
  }
}

TEST(CommandLine, RecordingKinds) {
  const struct {
    std::vector<std::string> args;
    int width, height;
    mkcard::VideoCodec codec;
    int bframes;
    mkcard::SoundKind sound;
  } cases[] = {
      {{"out"}, 640, 360, mkcard::VideoCodec::kH264, -1, mkcard::SoundKind::kAac},
      {{"--size", "720p", "--codec", "hevc", "out"},
       1280,
       720,
       mkcard::VideoCodec::kHevc,
       -1,
       mkcard::SoundKind::kAac},
      {{"--size", "1080p", "--bframes", "0", "--audio", "pcm", "out"},
       1920,
       1080,
       mkcard::VideoCodec::kH264,
       0,
       mkcard::SoundKind::kPcm},
      {{"--size", "4k", "--codec", "h264", "--bframes", "3", "--audio", "none", "out"},
       3840,
       2160,
       mkcard::VideoCodec::kH264,
       3,
       mkcard::SoundKind::kNone},
      {{"--audio", "stereo", "out"},
       640,
       360,
       mkcard::VideoCodec::kH264,
       -1,
       mkcard::SoundKind::kStereo},
      {{"--audio", "mono", "out"},
       640,
       360,
       mkcard::VideoCodec::kH264,
       -1,
       mkcard::SoundKind::kAac},
  };
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    SCOPED_TRACE(c.args.front());
    ASSERT_EQ(line.error, "");
    EXPECT_EQ(line.options.width, c.width);
    EXPECT_EQ(line.options.height, c.height);
    EXPECT_EQ(line.options.codec, c.codec);
    EXPECT_EQ(line.options.bframes, c.bframes);
    EXPECT_EQ(line.options.sound, c.sound);
  }
}

TEST(CommandLine, RefusesBadArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--folders", "0", "out"},
      {"--folders", "x", "out"},
      {"--files", "-1", "out"},
      {"--seconds", "3601", "out"},
      {"--size", "641x360", "out"},
      {"--size", "640", "out"},
      {"--size", "8k", "out"},
      {"--codec", "vp9", "out"},
      {"--bframes", "17", "out"},
      {"--audio", "mp3", "out"},
      {"--fps", "0", "out"},
      {"--fps", "29.9", "out"},
      {"--triggers", "AX", "out"},
      {"--triggers", "", "out"},
      {"--quality", "L", "out"},
      {"--records", "65536", "out"},
      {"--seed", "12a", "out"},
      {"--gop", "0", "out"},
      {"--longer-sound", "1000", "out"},
      {"--cut-short", "--plain", "out"},
      {"--wobble", "out"},
      {"out", "other"},
      {"out", "--files"},
  };
  for (const auto& args : cases) {
    const CommandLine line = ParseCommandLine(args);
    std::string joined;
    for (const auto& arg : args) joined += arg + " ";
    EXPECT_NE(line.error, "") << joined;
  }
}

TEST(CommandLine, ProgramExitsWithStatus2AndOneLineOnBadOptions) {
  TempDir dir;
  const GeneratorRun bad = RunGenerator({"--size", "10x10", (dir.path() / "card").string()});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.errors.find("--size"), std::string::npos) << bad.errors;
  EXPECT_EQ(std::count(bad.errors.begin(), bad.errors.end(), '\n'), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "card"));

  const GeneratorRun help = RunGenerator({"--help"});
  EXPECT_EQ(help.status, 0);
}
