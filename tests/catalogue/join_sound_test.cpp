// The sound of joined recordings stays in step with their pictures, as
// ffmpeg and GStreamer (the viewer's player) decode it.

#include <gtest/gtest.h>

#include <cmath>
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

// The sound as a sink plays it: every decoded sample, one after another,
// whatever the timestamps say; mono at 48 kHz. ffmpeg decodes it, and
// GStreamer with its own demuxer and the decoder the viewer's player uses.
std::vector<std::int16_t> FfmpegSound(const fs::path& movie) {
  return Samples(Run({"ffmpeg", "-v", "error", "-i", movie.string(), "-map", "0:a", "-f", "s16le",
                      "-ac", "1", "-ar", "48000", "-"}));
}

std::vector<std::int16_t> GstreamerSound(const fs::path& movie, const fs::path& raw) {
  Run({"gst-launch-1.0", "-q", "filesrc", "location=" + movie.string(), "!", "qtdemux", "name=d",
       "d.audio_0", "!", "decodebin", "!", "audioconvert", "!", "audioresample", "!",
       "audio/x-raw,format=S16LE,channels=1,rate=48000", "!", "filesink",
       "location=" + raw.string()});
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
