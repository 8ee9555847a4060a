#pragma once

// A movie's pictures and sound as ffmpeg and GStreamer (the demuxer and
// decoders of the viewer's player) decode them, for the tests of movies the
// catalogue writes from the generator's recordings.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "generated_card.h"
#include "mkcard/frame_barcode.h"
#include "mkcard/program_runner.h"

// The barcodes of decoded grey pictures of width x height, as
// recording * 65536 + frame (-1 for a picture without one).
inline std::vector<int> Barcodes(const std::string& grey, int width, int height) {
  std::vector<int> codes;
  const auto size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  for (std::size_t at = 0; at + size <= grey.size(); at += size) {
    const auto code = mkcard::ReadFrameBarcode(
        reinterpret_cast<const std::uint8_t*>(grey.data()) + at, width, height, width);
    codes.push_back(code ? code->recording * 65536 + code->frame : -1);
  }
  return codes;
}

// The barcodes of the movie's pictures as ffmpeg shows them; ffmpeg must
// decode it without a word.
inline std::vector<int> FfmpegBarcodes(const std::filesystem::path& movie, int width, int height) {
  const mkcard::ProgramResult decoded = mkcard::RunProgram(
      {"ffmpeg", "-v", "error", "-i", movie.string(), "-vf", "format=gray", "-f", "rawvideo", "-"});
  EXPECT_EQ(decoded.failure, "");
  EXPECT_EQ(decoded.errors, "");
  return Barcodes(decoded.output, width, height);
}

// The same through GStreamer's demuxer and the decoder it picks; `raw` is
// a scratch file.
inline std::vector<int> GstreamerBarcodes(const std::filesystem::path& movie,
                                          const std::filesystem::path& raw, int width, int height) {
  RunTool({"gst-launch-1.0", "-q", "filesrc", "location=" + movie.string(), "!", "qtdemux",
           "name=d", "d.video_0", "!", "decodebin", "!", "videoconvert", "!",
           "video/x-raw,format=GRAY8", "!", "filesink", "location=" + raw.string()});
  const std::vector<std::uint8_t> bytes = FileBytes(raw);
  return Barcodes(std::string(bytes.begin(), bytes.end()), width, height);
}

inline constexpr double kSoundRate = 48000;
inline constexpr double kAudioFrame = 1024 / kSoundRate;  // 21.3 ms

template <typename Bytes>
std::vector<std::int16_t> SoundSamples(const Bytes& raw) {
  std::vector<std::int16_t> samples(raw.size() / 2);
  std::memcpy(samples.data(), raw.data(), samples.size() * 2);
  return samples;
}

// The sound as a sink plays it: every decoded sample, one after another,
// whatever the timestamps say; mono at 48 kHz.
inline std::vector<std::int16_t> FfmpegSound(const std::filesystem::path& movie) {
  return SoundSamples(RunTool({"ffmpeg", "-v", "error", "-i", movie.string(), "-map", "0:a", "-f",
                               "s16le", "-ac", "1", "-ar", "48000", "-"}));
}

inline std::vector<std::int16_t> GstreamerSound(const std::filesystem::path& movie,
                                                const std::filesystem::path& raw) {
  RunTool({"gst-launch-1.0", "-q", "filesrc", "location=" + movie.string(), "!", "qtdemux",
           "name=d", "d.audio_0", "!", "decodebin", "!", "audioconvert", "!", "audioresample", "!",
           "audio/x-raw,format=S16LE,channels=1,rate=48000", "!", "filesink",
           "location=" + raw.string()});
  return SoundSamples(FileBytes(raw));
}

// Where each beep starts, in seconds: a loud sample after 50 ms of quiet.
inline std::vector<double> BeepStarts(const std::vector<std::int16_t>& sound) {
  constexpr std::size_t kQuiet = 2400;  // 50 ms
  std::vector<double> starts;
  std::size_t quiet = SIZE_MAX;
  for (std::size_t i = 0; i < sound.size(); ++i) {
    if (std::abs(sound[i]) < 1000) {
      if (quiet != SIZE_MAX) ++quiet;
      continue;
    }
    if (quiet == SIZE_MAX || quiet >= kQuiet) starts.push_back(static_cast<double>(i) / kSoundRate);
    quiet = 0;
  }
  return starts;
}
