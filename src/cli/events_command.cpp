// kestrel-cli events: every event mark of a source's recordings, in time
// order.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/recorder_clock.h"
#include "catalogue/source_entries.h"
#include "cli/clock_options.h"
#include "cli/command_output.h"
#include "cli/event_lines.h"
#include "cli/json_text.h"

namespace {

std::optional<int> ChannelNamed(std::string_view name) {
  const auto* at = std::find(kEventChannelNames.begin(), kEventChannelNames.end(), name);
  if (at == kEventChannelNames.end()) return std::nullopt;
  return static_cast<int>(at - kEventChannelNames.begin());
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string LocalText(const std::optional<std::tm>& local, const char* format) {
  if (!local) return "";
  char text[40];
  return std::string(text, std::strftime(text, sizeof text, format, &*local));
}

void AppendText(std::string& out, const EventLine& line) {
  const std::string path = TextField(line.path.string());
  if (!line.event) {
    out += "-\tunreadable\t-\t-\t-\t-\t-\t" + path + '\n';
    return;
  }
  const SourceEvent& e = *line.event;
  const std::string time = line.local ? LocalText(line.local, "%Y/%m/%d %H:%M:%S") : "-";
  out += time + '\t' + std::string(kEventChannelNames[e.channel]) + '\t' + Fixed(e.peakG, 2) +
         "G\t" + (e.hasPosition ? Fixed(e.speed, 0) : "-") + '\t' +
         (e.hasPosition ? Fixed(e.latitude, 7) : "-") + '\t' +
         (e.hasPosition ? Fixed(e.longitude, 7) : "-") + '\t' +
         Fixed(static_cast<double>(e.offsetMs) / 1000.0, 1) + '\t' + path + '\n';
}

void AppendJson(std::string& out, const EventLine& line) {
  out += "\n  {\"recording\": ";
  AppendJsonString(out, line.path.string());
  if (!line.event) {
    out += ", \"unreadable\": true}";
    return;
  }
  const SourceEvent& e = *line.event;
  out += ", \"kind\": ";
  AppendJsonString(out, kEventChannelNames[e.channel]);
  out += ", \"icon\": " + std::to_string(e.icon) + ", \"record\": " + std::to_string(e.sequence) +
         ", \"offset_ms\": " + std::to_string(e.offsetMs) + ", \"time\": ";
  const std::optional<std::int64_t> utc =
      line.local ? LocalToUtcSeconds(*line.local) : std::nullopt;
  out += line.local ? "\"" + LocalText(line.local, "%Y-%m-%dT%H:%M:%S") + "\"" : "null";
  out += ", \"utc\": " + (utc ? "\"" + UtcTenthsText(*utc * 10).substr(0, 19) + "Z\"" : "null");
  out += ", \"peak_g\": " + Fixed(e.peakG, 3);
  if (e.hasPosition) {
    out += ", \"speed_kmh\": " + Fixed(e.speed, 1) + ", \"latitude\": " + Fixed(e.latitude, 7) +
           ", \"longitude\": " + Fixed(e.longitude, 7);
  } else {
    out += ", \"speed_kmh\": null, \"latitude\": null, \"longitude\": null";
  }
  out += "}";
}

}  // namespace

int RunEvents(std::span<char* const> args) {
  const std::string usage = std::string("events SOURCE [--json] [--kind K]... ") + kClockUsage;
  std::optional<std::string> source;
  bool json = false;
  std::int64_t offsetSeconds = 0;
  EventChannelSwitches switches;
  bool kindsChosen = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const ClockOption clock = ReadClockOption(args, i, &offsetSeconds);
    if (clock == ClockOption::kUnknownZone) {
      return Failure("unknown time zone", std::string(args[i]) + " is not in the zone database");
    }
    if (clock == ClockOption::kBadValue) return Usage(usage);
    if (clock == ClockOption::kRead) continue;
    if (arg == "--json") {
      json = true;
    } else if (arg == "--kind" && i + 1 < args.size()) {
      const std::optional<int> channel = ChannelNamed(args[++i]);
      if (!channel) {
        std::string kinds;
        for (const std::string_view name : kEventChannelNames) kinds.append(" ").append(name);
        return Failure("unknown kind of event", std::string(args[i]) + "; the kinds:" + kinds);
      }
      if (!kindsChosen) {
        for (EventChannelSwitch& s : switches) s.sentToMap = false;
        kindsChosen = true;
      }
      switches[*channel].sentToMap = true;
    } else if (arg.starts_with("-") || source) {
      return Usage(usage);
    } else {
      source = std::string(arg);
    }
  }
  if (!source) return Usage(usage);

  Catalogue catalogue;
  const std::vector<FileEntry> entries = CollectSource(catalogue, *source);
  const std::vector<EventLine> lines = SourceEventLines(*source, entries, switches, offsetSeconds);

  std::string out = json ? "[" : "";
  for (const EventLine& line : lines) {
    if (json) {
      if (out.size() > 1) out += ",";
      AppendJson(out, line);
    } else {
      AppendText(out, line);
    }
  }
  if (json) out += lines.empty() ? "]\n" : "\n]\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}
