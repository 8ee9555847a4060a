#include "mkcard/command_line.h"

#include <charconv>
#include <cstdint>

namespace mkcard {
namespace {

// Reads a whole decimal number in [low, high].
bool ReadNumber(const std::string& text, std::uint64_t low, std::uint64_t high,
                std::uint64_t& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && error == std::errc() && stop == end && value >= low && value <= high;
}

bool ReadInt(const std::string& text, int low, int high, int& value) {
  std::uint64_t number = 0;
  if (!ReadNumber(text, static_cast<std::uint64_t>(low), static_cast<std::uint64_t>(high),
                  number)) {
    return false;
  }
  value = static_cast<int>(number);
  return true;
}

// "640x360": even sizes, as the 4:2:0 picture needs; or a name: "720p",
// "1080p", "4k".
bool ReadSize(const std::string& text, CardOptions& options) {
  const struct {
    const char* name;
    int width, height;
  } named[] = {{"720p", 1280, 720}, {"1080p", 1920, 1080}, {"4k", 3840, 2160}};
  for (const auto& size : named) {
    if (text == size.name) {
      options.width = size.width;
      options.height = size.height;
      return true;
    }
  }
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  return ReadInt(text.substr(0, x), 64, 3840, options.width) &&
         ReadInt(text.substr(x + 1), 64, 2160, options.height) && options.width % 2 == 0 &&
         options.height % 2 == 0;
}

// "30", "60", "30000/1001", or the NTSC rates "29.97", "59.94", "23.976".
bool ReadRate(const std::string& text, CardOptions& options) {
  const struct {
    const char* text;
    int num;
  } ntsc[] = {{"23.976", 24000}, {"29.97", 30000}, {"59.94", 60000}};
  for (const auto& rate : ntsc) {
    if (text == rate.text) {
      options.fpsNum = rate.num;
      options.fpsDen = 1001;
      return true;
    }
  }
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) {
    options.fpsDen = 1;
    return ReadInt(text, 1, 120, options.fpsNum);
  }
  return ReadInt(text.substr(0, slash), 1, 120000, options.fpsNum) &&
         ReadInt(text.substr(slash + 1), 1, 1001, options.fpsDen) &&
         options.fpsNum <= 120 * options.fpsDen;
}

bool ReadCodec(const std::string& text, CardOptions& options) {
  if (text != "h264" && text != "hevc") return false;
  options.codec = text == "hevc" ? VideoCodec::kHevc : VideoCodec::kH264;
  return true;
}

bool ReadSound(const std::string& text, CardOptions& options) {
  const struct {
    const char* name;
    SoundKind kind;
  } kinds[] = {{"aac", SoundKind::kAac},
               {"mono", SoundKind::kAac},
               {"stereo", SoundKind::kStereo},
               {"pcm", SoundKind::kPcm},
               {"none", SoundKind::kNone}};
  for (const auto& kind : kinds) {
    if (text == kind.name) {
      options.sound = kind.kind;
      return true;
    }
  }
  return false;
}

bool ReadTriggers(const std::string& text, CardOptions& options) {
  if (text.empty() || text.find_first_not_of("AMGPS") != std::string::npos) return false;
  options.triggers = text;
  return true;
}

}  // namespace

std::string UsageText() {
  return "Usage: kestrel-mkcard [options] OUTDIR\n"
         "Writes a sample memory card of recorder files to OUTDIR/DCIM.\n"
         "The same options give the same bytes.\n"
         "\n"
         "  --folders N      folders 100MEDIA, 101MEDIA, ... (default 3)\n"
         "  --files N        recordings per folder (default 5)\n"
         "  --seconds S      length of each recording (default 10)\n"
         "  --size WxH       picture size, even numbers, or 720p, 1080p, 4k\n"
         "                   (default 640x360)\n"
         "  --fps R          frame rate: 30, 60, 25, 29.97, 30000/1001, ... (default 30)\n"
         "  --gop N          a keyframe every N pictures (default: one second's worth)\n"
         "  --codec C        h264 (libx264) or hevc (libx265) (default h264)\n"
         "  --bframes N      at most N B-frames in a row, 0 for none (default: the\n"
         "                   encoder's own choice, which uses B-frames)\n"
         "  --audio A        aac or mono (AAC, one channel), stereo (AAC, two\n"
         "                   channels), pcm (16-bit PCM, one channel) or none\n"
         "                   (default aac)\n"
         "  --seed N         seed of the synthesised drive (default 1)\n"
         "  --triggers L     trigger letters from AMGPS, given to the recordings in\n"
         "                   card order and repeated (default AMGPS)\n"
         "  --quality H|N    picture quality mark of the sensor header (default H)\n"
         "  --records N      write N sensor records per recording instead of ten a second\n"
         "  --numbered N     name the first N recordings of each folder NNN_hhmmss_T.MOV\n"
         "  --extras         add to the last folder a file cut short, a file without the\n"
         "                   closing CSMEND, a plain ffmpeg movie and a file that is not a movie\n"
         "  --cut-short      write every recording cut short inside its mdat\n"
         "  --no-csmend      write every recording without the closing CSMEND\n"
         "  --plain          write every recording as plain ffmpeg output\n"
         "  --beep           start each recording with a white picture and a 100 ms beep,\n"
         "                   silent after it, to measure where each recording begins\n"
         "  --longer-sound MS\n"
         "                   let the sound run MS milliseconds past the pictures\n"
         "  --help           show this text\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  CardOptions& o = line.options;
  int kinds = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    const std::string value = hasValue ? args[i + 1] : std::string();
    bool ok = true;
    bool takesValue = true;
    if (arg == "--help") {
      line.help = true;
      takesValue = false;
    } else if (arg == "--beep") {
      takesValue = false;
      o.beep = true;
    } else if (arg == "--extras" || arg == "--cut-short" || arg == "--no-csmend" ||
               arg == "--plain") {
      takesValue = false;
      if (arg == "--extras") o.extras = true;
      if (arg == "--cut-short") o.cutShort = true;
      if (arg == "--no-csmend") o.noCsmend = true;
      if (arg == "--plain") o.plain = true;
      kinds += arg == "--extras" ? 0 : 1;
    } else if (arg.rfind("--", 0) != 0) {
      takesValue = false;
      if (!line.outdir.empty()) {
        line.error = "more than one output folder: " + arg;
        return line;
      }
      line.outdir = arg;
    } else if (!hasValue) {
      line.error = "option " + arg + " needs a value";
      return line;
    } else if (arg == "--folders") {
      ok = ReadInt(value, 1, 900, o.folders);
    } else if (arg == "--files") {
      ok = ReadInt(value, 1, 999, o.files);
    } else if (arg == "--seconds") {
      ok = ReadInt(value, 1, 3600, o.seconds);
    } else if (arg == "--size") {
      ok = ReadSize(value, o);
    } else if (arg == "--fps") {
      ok = ReadRate(value, o);
    } else if (arg == "--gop") {
      ok = ReadInt(value, 1, 7200, o.gop);
    } else if (arg == "--codec") {
      ok = ReadCodec(value, o);
    } else if (arg == "--bframes") {
      ok = ReadInt(value, 0, 16, o.bframes);
    } else if (arg == "--audio") {
      ok = ReadSound(value, o);
    } else if (arg == "--seed") {
      ok = ReadNumber(value, 0, UINT64_MAX, o.seed);
    } else if (arg == "--triggers") {
      ok = ReadTriggers(value, o);
    } else if (arg == "--quality") {
      ok = value == "H" || value == "N";
      o.quality = ok ? value[0] : o.quality;
    } else if (arg == "--records") {
      ok = ReadInt(value, 0, 65535, o.records);
    } else if (arg == "--numbered") {
      ok = ReadInt(value, 0, 999, o.numbered);
    } else if (arg == "--longer-sound") {
      ok = ReadInt(value, 0, 999, o.longerSoundMs);
    } else {
      line.error = "unknown option " + arg;
      return line;
    }
    if (!ok) {
      line.error = "bad value for " + arg + ": '" + value + "'";
      return line;
    }
    if (takesValue) ++i;
  }
  if (line.help) return line;
  if (kinds > 1) {
    line.error = "--cut-short, --no-csmend and --plain exclude each other";
  } else if (line.outdir.empty()) {
    line.error = "no output folder given (see --help)";
  } else if (o.records < 0 && o.seconds * 10 > 65535) {
    line.error = "too many records for a 16-bit count: use fewer --seconds";
  }
  return line;
}

}  // namespace mkcard
