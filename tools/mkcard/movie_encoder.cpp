#include "mkcard/movie_encoder.h"

#include <algorithm>

#include "mkcard/frame_barcode.h"
#include "mkcard/program_runner.h"

namespace mkcard {
namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string Rate(const RecordingPlan& plan) {
  return std::to_string(plan.fpsNum) + "/" + std::to_string(plan.fpsDen);
}

// The sine tone of the sound track, as long as the pictures or longer by
// plan.longerSoundMs; a beeping recording's tone stops after 100 ms.
std::string ToneGraph(const RecordingPlan& plan) {
  return "sine=frequency=" + std::to_string(plan.toneHz) +
         ":sample_rate=48000:duration=" + std::to_string(plan.seconds * 1000 + plan.longerSoundMs) +
         "ms" + (plan.beep ? ",volume=volume=0:enable='gte(t,0.1)'" : "") + "[a]";
}

// The filter graph: the barcode is a 24-block row whose blocks are white for
// the set bits of frame + (recording << 16), scaled up without smoothing and
// laid over the top of the test pattern. A beeping recording's first picture
// is white. The sound, when there is one, is the tone.
std::string FilterGraph(const RecordingPlan& plan) {
  const std::string size = std::to_string(plan.width) + "x" + std::to_string(plan.height);
  const std::string rate = Rate(plan);
  const int strip = BarcodeHeight(plan.height);
  const int recording = plan.cardIndex % 256;
  const int fontSize = std::max(12, plan.height / 8);
  return "testsrc2=size=" + size + ":rate=" + rate + ":duration=" + std::to_string(plan.seconds) +
         "[pattern];" + "color=c=black:size=" + std::to_string(kBarcodeBits) + "x2:rate=" + rate +
         ":duration=" + std::to_string(plan.seconds) + ",format=gray,geq=lum='255*mod(floor((N+" +
         std::to_string(recording) + "*65536)/pow(2,X)),2)',scale=" + std::to_string(plan.width) +
         ":" + std::to_string(strip) + ":flags=neighbor[bar];" +
         "[pattern][bar]overlay=0:0,drawtext=fontfile=" + kFont +
         ":text='%{n}':x=" + std::to_string(plan.width / 20) +
         ":y=" + std::to_string(strip + plan.height / 20) +
         ":fontsize=" + std::to_string(fontSize) + ":fontcolor=white:box=1:boxcolor=black" +
         (plan.beep ? ",drawbox=color=white:t=fill:enable='eq(n,0)'" : "") + ",format=yuv420p[v]" +
         (plan.sound == SoundKind::kNone ? "" : ";" + ToneGraph(plan));
}

// The picture's encoder and its settings. Fixed thread counts, so that the
// bytes do not depend on the machine: x264 works with two slice threads (its
// frame threads give different bytes now and then when the machine is busy),
// x265 with one pool and one frame thread. HEVC is tagged 'hvc1' and written
// in closed groups of pictures, as recorders write it.
std::vector<std::string> VideoArguments(const RecordingPlan& plan) {
  const std::string gop = std::to_string(std::max(plan.gop, 1));
  std::vector<std::string> args;
  if (plan.codec == VideoCodec::kHevc) {
    args = {"-c:v",         "libx265",
            "-preset",      "veryfast",
            "-tag:v",       "hvc1",
            "-x265-params", "pools=1:frame-threads=1:log-level=error:scenecut=0:open-gop=0",
            "-g",           gop,
            "-keyint_min",  gop};
  } else {
    args = {
        "-c:v", "libx264", "-preset",     "veryfast", "-x264-params",  "sliced-threads=1:threads=2",
        "-g",   gop,       "-keyint_min", gop,        "-sc_threshold", "0"};
  }
  if (plan.bframes >= 0) args.insert(args.end(), {"-bf", std::to_string(plan.bframes)});
  return args;
}

std::vector<std::string> SoundArguments(const RecordingPlan& plan) {
  switch (plan.sound) {
    case SoundKind::kAac:
      return {"-map", "[a]", "-c:a", "aac", "-b:a", "64k", "-ac", "1"};
    case SoundKind::kStereo:
      return {"-map", "[a]", "-c:a", "aac", "-b:a", "128k", "-ac", "2"};
    case SoundKind::kPcm:
      return {"-map", "[a]", "-c:a", "pcm_s16le", "-ac", "1"};
    case SoundKind::kNone:
      break;
  }
  return {};
}

}  // namespace

std::vector<std::string> EncoderCommand(const RecordingPlan& plan,
                                        const std::filesystem::path& output) {
  // clang-format off
  std::vector<std::string> command = {
      "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
      "-filter_complex_threads", "1", "-filter_complex", FilterGraph(plan),
      // Both sources end by themselves, the picture after plan.frames
      // frames: a frame limit would also cut the sound short.
      "-map", "[v]"};
  for (const auto& part : {VideoArguments(plan), SoundArguments(plan)}) {
    command.insert(command.end(), part.begin(), part.end());
  }
  command.insert(command.end(), {
      "-fflags", "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact",
      "-map_metadata", "-1", "-video_track_timescale", "90000", "-f", "mov", output.string()});
  // clang-format on
  return command;
}

std::string EncodeMovie(const RecordingPlan& plan, const std::filesystem::path& output) {
  return RunProgram(EncoderCommand(plan, output)).failure;
}

}  // namespace mkcard
