// kestrel-cli clip: a stretch of the drive, or the seconds around an event,
// kept as a recorder file.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/recording_clip.h"
#include "catalogue/source_entries.h"
#include "cli/clip_render_option.h"
#include "cli/command_output.h"
#include "cli/event_lines.h"
#include "cli/terminal_progress.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "clip SOURCE --from T --to T -o OUT [--force] [RENDER]\n"
    "       kestrel-cli clip SOURCE --event N [--before S] [--after S] -o OUT [--force] [RENDER]\n"
    "       RENDER: --render [--overlay time,speed,g,events,map] [--size 720p|source]\n"
    "               [--preset NAME]";

constexpr const char* kHelp =
    "Keeps a stretch of the drive as a recorder file (pictures and sound copied\n"
    "as they are, with the sensor records of the stretch), from the picture\n"
    "shown at --from to the last picture that begins before --to. The\n"
    "recordings the stretch runs through must follow one another.\n"
    "  --from T, --to T     the recorder's clock, 2024-06-12T08:31:02.4, or\n"
    "                       NAME@SECONDS: SECONDS (decimals allowed) from the start\n"
    "                       of the recording NAME (its file name, with or without\n"
    "                       .MOV, or its path)\n"
    "  --event N            the stretch around event N, numbered from 1 in the\n"
    "                       order kestrel-cli events SOURCE lists them\n"
    "  --before S           seconds before the event (default 15)\n"
    "  --after S            seconds after the event (default 15); both cut short\n"
    "                       where the recordings stop following one another\n"
    "  -o OUT               the clip to write\n"
    "  --force              replace OUT when it exists\n"
    "  --render             write an MP4 (H.264, the sound copied when it is AAC)\n"
    "                       with the drive's data drawn over the pictures\n"
    "  --overlay LIST       the blocks drawn, comma-separated (default all): time,\n"
    "                       speed, g (the G values and a G-ball), events (an event's\n"
    "                       name for 2 s), map (the route of the stretch)\n"
    "  --size SIZE          720p (1280x720) or source (default)\n"
    "  --preset NAME        the encoder's speed: ultrafast, superfast (default),\n"
    "                       veryfast, faster, fast, medium\n";

std::optional<double> ReadSeconds(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, value);
  if (text.empty() || parsed.ec != std::errc{} || parsed.ptr != end || !std::isfinite(value) ||
      value < 0) {
    return std::nullopt;
  }
  return value;
}

// The recording of the source that NAME names: its path, its file name, or
// its file name without the extension.
std::optional<fs::path> RecordingNamed(const std::vector<FileEntry>& entries,
                                       std::string_view name) {
  for (const FileEntry& entry : entries) {
    std::error_code error;
    if (entry.name == name || entry.path.stem() == name ||
        fs::equivalent(entry.path, fs::path(name), error)) {
      return entry.path;
    }
  }
  return std::nullopt;
}

// T: NAME@SECONDS or the recorder's clock with optional decimals of a second.
std::optional<ClipMoment> ReadMoment(const std::vector<FileEntry>& entries,
                                     const std::vector<fs::path>& recordings, std::string_view text,
                                     std::string& why) {
  if (const std::size_t at = text.rfind('@'); at != std::string_view::npos) {
    const std::optional<fs::path> recording = RecordingNamed(entries, text.substr(0, at));
    const std::optional<double> seconds = ReadSeconds(text.substr(at + 1));
    if (!recording) why = std::string(text.substr(0, at)) + " is not a recording of the source";
    if (!seconds) why = std::string(text) + ": SECONDS is not a number of seconds";
    if (!recording || !seconds) return std::nullopt;
    return ClipMoment{*recording, static_cast<std::int64_t>(std::llround(*seconds * 1e9))};
  }
  std::tm clock{};
  int consumed = 0;
  const std::string copy(text);
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &clock.tm_year, &clock.tm_mon,
                  &clock.tm_mday, &clock.tm_hour, &clock.tm_min, &clock.tm_sec, &consumed) != 6) {
    why = copy + " is neither the recorder's clock (2024-06-12T08:31:02.4) nor NAME@SECONDS";
    return std::nullopt;
  }
  clock.tm_year -= 1900;
  clock.tm_mon -= 1;
  double fraction = 0;
  const std::string_view rest = text.substr(static_cast<std::size_t>(consumed));
  if (!rest.empty()) {
    const std::optional<double> read =
        rest.front() == '.' ? ReadSeconds("0" + std::string(rest)) : std::nullopt;
    if (!read) {
      why = copy + ": the seconds end in something else than decimals";
      return std::nullopt;
    }
    fraction = *read;
  }
  return MomentAtClock(recordings, clock, static_cast<std::int64_t>(std::llround(fraction * 1e9)),
                       why);
}

std::string_view ClipFailureText(ClipError error) {
  switch (error) {
    case ClipError::kStartAfterEnd:
      return "the end comes before the start";
    case ClipError::kNotConsecutive:
      return "the recordings of the stretch do not follow one another";
    case ClipError::kUnreadable:
      return "a recording of the stretch cannot be read";
    case ClipError::kTooShort:
      return "the stretch is shorter than one picture";
    case ClipError::kNotFound:
      return "the stretch is not in the source";
    case ClipError::kSizeOver:
      return "the clip would be too large for a recorder file";
    case ClipError::kCancelled:
      return "the clip was cancelled";
    default:
      return "the clip could not be written";
  }
}

// Event N (from 1) of the source, as `kestrel-cli events` numbers them.
std::optional<ClipMoment> EventMoment(const fs::path& source, const std::vector<FileEntry>& entries,
                                      long number, std::string& why) {
  const std::vector<EventLine> lines = SourceEventLines(source, entries, {}, 0);
  if (number < 1 || static_cast<std::size_t>(number) > lines.size()) {
    why = "the source lists " + std::to_string(lines.size()) + " events";
    return std::nullopt;
  }
  const EventLine& line = lines[static_cast<std::size_t>(number - 1)];
  if (!line.event) {
    why = "line " + std::to_string(number) + " of the events is a recording that cannot be read";
    return std::nullopt;
  }
  return ClipMoment{line.path, line.event->offsetMs * 1'000'000};
}

}  // namespace

int RunClip(std::span<char* const> args) {
  std::optional<fs::path> source;
  std::optional<std::string> from, to;
  std::optional<long> event;
  double before = kClipBeforeSeconds, after = kClipAfterSeconds;
  fs::path output;
  bool force = false;
  RenderChoice render;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::printf("usage: kestrel-cli %s\n%s", kUsage, kHelp);
      return 0;
    }
    const bool hasValue = i + 1 < args.size();
    if (arg == "--force") {
      force = true;
    } else if (arg == "--render") {
      render.render = true;
    } else if (arg == "--overlay" && hasValue) {
      render.overlay = args[++i];
    } else if (arg == "--size" && hasValue) {
      render.size = args[++i];
    } else if (arg == "--preset" && hasValue) {
      render.preset = args[++i];
    } else if (arg == "-o" && hasValue) {
      output = args[++i];
    } else if (arg == "--from" && hasValue) {
      from = args[++i];
    } else if (arg == "--to" && hasValue) {
      to = args[++i];
    } else if ((arg == "--before" || arg == "--after") && hasValue) {
      const std::optional<double> seconds = ReadSeconds(args[++i]);
      if (!seconds) return Usage(kUsage);
      (arg == "--before" ? before : after) = *seconds;
    } else if (arg == "--event" && hasValue) {
      long number = 0;
      const std::string_view value = args[++i];
      const auto parsed = std::from_chars(value.data(), value.data() + value.size(), number);
      if (parsed.ec != std::errc{} || parsed.ptr != value.data() + value.size()) {
        return Usage(kUsage);
      }
      event = number;
    } else if (arg.starts_with("-") || source) {
      return Usage(kUsage);
    } else {
      source = fs::path(arg);
    }
  }
  const bool between = from && to && !event;
  const bool around = event && !from && !to;
  if (!source || output.empty() || (!between && !around)) return Usage(kUsage);
  if (const std::string problem = RenderChoiceProblem(render); !problem.empty()) {
    std::fprintf(stderr, "kestrel-cli: %s\n", problem.c_str());
    return Usage(kUsage);
  }
  std::error_code error;
  if (!force && fs::exists(output, error)) {
    return Failure("the clip exists already", output.string() + "; --force replaces it");
  }

  Catalogue catalogue;
  const std::vector<FileEntry> entries = CollectSource(catalogue, *source);
  std::vector<fs::path> recordings;
  for (const FileEntry& entry : entries) recordings.push_back(entry.path);
  std::string why;
  StretchResult stretch;
  if (between) {
    const std::optional<ClipMoment> start = ReadMoment(entries, recordings, *from, why);
    const std::optional<ClipMoment> end =
        start ? ReadMoment(entries, recordings, *to, why) : std::nullopt;
    if (!end) return Failure("the time asked for is not in the source", why);
    stretch = StretchBetweenMoments(recordings, *start, *end);
  } else {
    const std::optional<ClipMoment> moment = EventMoment(*source, entries, *event, why);
    if (!moment) return Failure("no such event", why);
    stretch = StretchAround(recordings, *moment, before, after);
  }
  if (stretch.error != ClipError::kNone) {
    return Failure(ClipFailureText(stretch.error), stretch.why);
  }
  if (render.render) {
    const int status = RenderStretch(stretch.stretch, output, render);
    if (status == 0) std::printf("%s\n", output.c_str());
    return status;
  }
  ClipResult result;
  {
    TerminalProgress progress("clip");
    result = WriteClip(stretch.stretch, output, {.sink = &progress});
  }
  if (result.error != ClipError::kNone) return Failure(ClipFailureText(result.error), result.why);
  const ClipPiece& first = stretch.stretch.pieces.front();
  const ClipPiece& last = stretch.stretch.pieces.back();
  std::printf("%s\n", output.c_str());
  std::fprintf(
      stderr, "kestrel-cli: %lld pictures (%.3f s) from picture %lld of %s to picture %lld of %s\n",
      static_cast<long long>(stretch.stretch.pictures),
      static_cast<double>(stretch.stretch.lengthNs) / 1e9, static_cast<long long>(first.first),
      first.recording.filename().c_str(), static_cast<long long>(last.last),
      last.recording.filename().c_str());
  return 0;
}
