// The sound of joined recordings stays in step with their pictures, as
// ffmpeg and GStreamer (the viewer's player) decode it.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "catalogue/recording_join.h"
#include "decoded_movie.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(JoinSound, EveryRecordingsBeepStartsWithItsPictures) {
  TempDir dir;
  // One-second recordings, each with a beep at its start: with sound as long
  // as the pictures (the encoder pads its last frame), and with sound that
  // runs on past the pictures by part of a frame, as ffmpeg writes when its
  // sound source ends later; with uncompressed sound, with two channels,
  // and at 60 pictures a second.
  const std::vector<std::vector<std::string>> kinds = {
      {}, {"--longer-sound", "8"}, {"--audio", "pcm"}, {"--audio", "stereo"}, {"--fps", "60"}};
  for (const std::vector<std::string>& kind : kinds) {
    std::vector<std::string> options = {"--folders", "1",      "--files", "4",     "--seconds",
                                        "1",         "--size", "160x120", "--beep"};
    options.insert(options.end(), kind.begin(), kind.end());
    const fs::path card = dir.path() / ("card" + (kind.empty() ? "" : kind[0] + kind[1]));
    const std::vector<fs::path> recordings = GenerateRecordings(card, options);
    ASSERT_EQ(recordings.size(), 4u);
    for (const std::size_t count : {2, 8, 60}) {
      // Every seam between recordings of one length is alike: a few
      // recordings, taken again and again, stand for a long drive.
      std::vector<fs::path> inputs;
      for (std::size_t k = 0; k < count; ++k) inputs.push_back(recordings[k % recordings.size()]);
      const fs::path output = dir.path() / "joined.MOV";
      const JoinResult result = Join(inputs, output);
      ASSERT_EQ(result.error, JoinError::kNone) << result.why;

      const std::pair<const char*, std::vector<double>> decoded[] = {
          {"ffmpeg", BeepStarts(FfmpegSound(output))},
          {"GStreamer", BeepStarts(GstreamerSound(output, dir.path() / "a.raw"))}};
      // Recording k's pictures start at k seconds (its frames are checked
      // frame for frame by the join's own tests): the beep furthest from
      // its pictures tells.
      for (const auto& [decoder, starts] : decoded) {
        ASSERT_EQ(starts.size(), count) << decoder;
        std::size_t worst = 0;
        for (std::size_t k = 0; k < count; ++k) {
          if (std::abs(starts[k] - static_cast<double>(k)) >
              std::abs(starts[worst] - static_cast<double>(worst))) {
            worst = k;
          }
        }
        EXPECT_NEAR(starts[worst], static_cast<double>(worst), kAudioFrame)
            << decoder << ", recording " << worst << " of " << count
            << (kind.empty() ? "" : ", " + kind[0]);
      }
      fs::remove(output);
    }
  }
}

}  // namespace
