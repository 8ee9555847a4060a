// Joins of every kind of recording recorders write, each picture of the
// join identified by its barcode in the order shown; and recordings that
// cannot be joined, refused with the reason.
#include <gtest/gtest.h>

#include "catalogue/recording_join.h"
#include "decoded_movie.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 160;
constexpr int kHeight = 120;

std::vector<std::string> With(std::vector<std::string> options) {
  options.insert(options.begin(), {"--folders", "1", "--seconds", "1", "--size", "160x120"});
  return options;
}

TEST(JoinKinds, EveryPictureOnceInTheOrderShown) {
  const struct {
    std::vector<std::string> options;
    int frames;  // of each recording
  } kinds[] = {
      {With({}), 30},
      {With({"--bframes", "0"}), 30},
      {With({"--codec", "hevc"}), 30},
      {With({"--codec", "hevc", "--bframes", "4", "--gop", "10"}), 30},
      {With({"--fps", "29.97"}), 30},
      {With({"--fps", "60", "--bframes", "3"}), 60},
      {With({"--fps", "25"}), 25},
      {With({"--audio", "stereo"}), 30},
      {With({"--audio", "pcm"}), 30},
      {With({"--audio", "none"}), 30},
  };
  for (const auto& kind : kinds) {
    std::string name;
    for (const std::string& option : kind.options) name += option + " ";
    SCOPED_TRACE(name);
    TempDir dir;
    std::vector<std::string> options = kind.options;
    options.insert(options.end(), {"--files", "2"});
    const std::vector<fs::path> inputs = GenerateRecordings(dir.path() / "card", options);
    ASSERT_EQ(inputs.size(), 2u);
    const fs::path output = dir.path() / "joined.MOV";
    const JoinResult result = Join(inputs, output);
    ASSERT_EQ(result.error, JoinError::kNone) << result.why;
    std::vector<int> expected;
    for (int recording = 0; recording < 2; ++recording) {
      for (int frame = 0; frame < kind.frames; ++frame)
        expected.push_back(recording * 65536 + frame);
    }
    EXPECT_EQ(FfmpegBarcodes(output, kWidth, kHeight), expected);
  }
}

TEST(JoinKinds, RefusesRecordingsOfOtherKinds) {
  const struct {
    std::vector<std::string> other;
    const char* reason;  // a part of the reason given
  } cases[] = {
      {With({"--codec", "hevc"}), "picture tracks are coded differently"},
      {{"--folders", "1", "--seconds", "1", "--size", "320x180"}, "pictures have different sizes"},
      {With({"--fps", "60"}), "frame rate"},
      {With({"--fps", "29.97"}), "frame rate"},
      {With({"--audio", "stereo"}), "sample descriptions"},
      {With({"--audio", "pcm"}), "sound tracks are coded differently"},
      {With({"--audio", "none"}), "tracks"},
  };
  TempDir dir;
  const std::vector<fs::path> first =
      GenerateRecordings(dir.path() / "first", With({"--files", "1"}));
  ASSERT_EQ(first.size(), 1u);
  int folder = 0;
  for (const auto& c : cases) {
    std::string name;
    for (const std::string& option : c.other) name += option + " ";
    SCOPED_TRACE(name);
    std::vector<std::string> options = c.other;
    options.insert(options.end(), {"--files", "1"});
    const std::vector<fs::path> other =
        GenerateRecordings(dir.path() / std::to_string(folder++), options);
    ASSERT_EQ(other.size(), 1u);
    for (const std::vector<fs::path>& inputs :
         {std::vector<fs::path>{first[0], other[0]}, std::vector<fs::path>{other[0], first[0]}}) {
      const fs::path output = dir.path() / "joined.MOV";
      const JoinResult result = Join(inputs, output);
      EXPECT_EQ(result.error, JoinError::kFailed);
      EXPECT_NE(result.why.find(c.reason), std::string::npos) << result.why;
      EXPECT_FALSE(fs::exists(output));
    }
  }
}

}  // namespace
