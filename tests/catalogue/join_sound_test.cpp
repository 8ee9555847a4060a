// The sound of joined recordings stays in step with their pictures, as
// ffmpeg and GStreamer (the viewer's player) decode it.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/recording_join.h"
#include "generated_card.h"
#include "mkcard/program_runner.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr double kRate = 48000;
constexpr double kAudioFrame = 1024 / kRate;  // 21.3 ms
constexpr std::size_t kQuiet = 2400;          // 50 ms

std::string Run(const std::vector<std::string>& argv) {
  const mkcard::ProgramResult run = mkcard::RunProgram(argv);
  EXPECT_EQ(run.failure, "") << run.errors;
  return run.output;
}

template <typename Bytes>
std::vector<std::int16_t> Samples(const Bytes& raw) {
  std::vector<std::int16_t> samples(raw.size() / 2);
  std::memcpy(samples.data(), raw.data(), samples.size() * 2);
  return samples;
}

// The sound as ffmpeg plays it: placed by its timestamps, gaps filled and
// overlaps cut, mono at 48 kHz.
std::vector<std::int16_t> FfmpegSound(const fs::path& movie) {
  return Samples(Run({"ffmpeg", "-v", "error", "-i", movie.string(), "-map", "0:a", "-af",
                      "aresample=async=1:min_hard_comp=0.001:first_pts=0", "-f", "s16le", "-ac",
                      "1", "-ar", "48000", "-"}));
}

// The sound as the viewer's player (playbin) delivers it, placed by its
// timestamps.
std::vector<std::int16_t> GstreamerSound(const fs::path& movie, const fs::path& raw) {
  Run({"gst-launch-1.0", "-q", "playbin", "uri=file://" + fs::absolute(movie).string(),
       "video-sink=fakesink sync=false",
       "audio-sink=audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,rate=48000 "
       "! audiorate tolerance=0 ! filesink sync=false location=" +
           raw.string()});
  return Samples(FileBytes(raw));
}

// Where each beep starts, in seconds: a loud sample after 50 ms of quiet.
std::vector<double> BeepStarts(const std::vector<std::int16_t>& sound) {
  std::vector<double> starts;
  std::size_t quiet = SIZE_MAX;
  for (std::size_t i = 0; i < sound.size(); ++i) {
    if (std::abs(sound[i]) < 1000) {
      if (quiet != SIZE_MAX) ++quiet;
      continue;
    }
    if (quiet == SIZE_MAX || quiet >= kQuiet) starts.push_back(static_cast<double>(i) / kRate);
    quiet = 0;
  }
  return starts;
}

TEST(JoinSound, EveryRecordingsBeepStartsWithItsPictures) {
  TempDir dir;
  // One-second recordings, each with a beep at its start.
  const std::vector<fs::path> recordings = GenerateRecordings(
      dir.path() / "card",
      {"--folders", "1", "--files", "60", "--seconds", "1", "--size", "160x120", "--beep"});
  ASSERT_EQ(recordings.size(), 60u);
  for (const std::size_t count : {2, 10, 60}) {
    const std::vector<fs::path> inputs(recordings.begin(), recordings.begin() + count);
    const fs::path output = dir.path() / "joined.MOV";
    const JoinResult result = Join(inputs, output);
    ASSERT_EQ(result.error, JoinError::kNone) << result.why;

    const std::vector<std::vector<double>> decoded = {
        BeepStarts(FfmpegSound(output)), BeepStarts(GstreamerSound(output, dir.path() / "a.raw"))};
    // Recording k's pictures start at k seconds (its frames are checked
    // frame for frame by the join's own tests).
    for (const std::vector<double>& starts : decoded) {
      ASSERT_EQ(starts.size(), count);
      for (std::size_t k = 0; k < count; ++k) {
        EXPECT_NEAR(starts[k], static_cast<double>(k), kAudioFrame)
            << "recording " << k << " of " << count;
      }
    }
    fs::remove(output);
  }
}

}  // namespace
