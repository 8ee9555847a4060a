// kestrel-cli list, csv, join and gpx: the catalogue's work for users and
// scripts.

#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/csv_export.h"
#include "catalogue/gpx_export.h"
#include "catalogue/movie_names.h"
#include "catalogue/recording_check.h"
#include "catalogue/recording_join.h"
#include "catalogue/source_entries.h"
#include "cli/clock_options.h"
#include "cli/command_output.h"
#include "cli/json_text.h"
#include "cli/terminal_progress.h"
#include "container/sensor_track.h"

int RunList(std::span<char* const> args) {
  const bool json = args.size() == 2 && std::strcmp(args[1], "--json") == 0;
  if (args.empty() || args.size() > 2 || (args.size() == 2 && !json)) {
    return Usage("list SOURCE [--json]");
  }
  Catalogue catalogue;
  const std::vector<FileEntry> entries = CollectSource(catalogue, args[0]);
  std::string out = json ? "[" : "";
  for (const FileEntry& entry : entries) {
    const char trigger = TriggerLetter(entry.name);
    const std::string size = std::to_string(entry.fileSize);
    if (!json) {
      out += TextField(entry.name) + '\t' + (trigger != 0 ? trigger : '-') + '\t' + size + '\t' +
             TextField(entry.path.string()) + '\n';
      continue;
    }
    if (out.size() > 1) out += ",";
    out += "\n  {\"name\": ";
    AppendJsonString(out, entry.name);
    out += ", \"path\": ";
    AppendJsonString(out, entry.path.string());
    out += ", \"trigger\": ";
    if (trigger != 0) {
      AppendJsonString(out, std::string_view(&trigger, 1));
    } else {
      out += "null";
    }
    out += ", \"size\": " + size + "}";
  }
  if (json) out += entries.empty() ? "]\n" : "\n]\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}

int RunCsv(std::span<char* const> args) {
  const std::string usage = "csv SOURCE OUTDIR [--force] [--time-offset SECONDS]";
  std::vector<std::string_view> paths;
  bool force = false;
  CsvOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--time-offset") {
      if (ReadClockOption(args, i, &options.offsetSeconds) != ClockOption::kRead)
        return Usage(usage);
    } else if (arg == "--force") {
      force = true;
    } else if (arg.starts_with("--")) {
      return Usage(usage);
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 2) return Usage(usage);
  const std::filesystem::path folder = paths[1];
  if (folder.empty()) return Failure("no output folder was given", "OUTDIR is empty");
  Catalogue catalogue;
  const std::vector<FileEntry> entries = CollectSource(catalogue, paths[0]);
  if (!force) {
    const std::optional<std::filesystem::path> file =
        CsvFileName(entries, folder, options.offsetSeconds);
    std::error_code error;
    if (file && std::filesystem::exists(*file, error)) {
      return Failure("the list exists already", file->string() + "; --force replaces it");
    }
  }
  CsvResult result;
  {
    TerminalProgress progress("csv");
    options.sink = &progress;
    result = ExportCsv(entries, folder, options);
  }
  if (result.error != CsvError::kNone) return Failure(CsvFailureText(result.error), result.why);
  std::printf("%s\n", result.file.c_str());
  if (!result.unreadable.empty()) {
    return Partial("listed without their details, which cannot be read", result.unreadable);
  }
  return 0;
}

int RunJoin(std::span<char* const> args) {
  if (args.size() < 2) return Usage("join OUTPUT INPUT...");
  const std::vector<std::filesystem::path> inputs(args.begin() + 1, args.end());
  JoinResult result;
  {
    TerminalProgress progress("join");
    result = Join(inputs, args[0], {.sink = &progress});
  }
  if (result.error != JoinError::kNone) return Failure(JoinFailureText(result.error), result.why);
  return 0;
}

int RunGpx(std::span<char* const> args) {
  const std::string usage = std::string("gpx FILE... -o OUT.gpx ") + kClockUsage;
  std::vector<std::filesystem::path> inputs;
  std::filesystem::path output;
  GpxOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const ClockOption clock = ReadClockOption(args, i, &options.offsetSeconds);
    if (clock == ClockOption::kUnknownZone) {
      return Failure("unknown time zone", std::string(args[i]) + " is not in the zone database");
    }
    if (clock == ClockOption::kBadValue) return Usage(usage);
    if (clock == ClockOption::kRead) continue;
    if (arg == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (arg.starts_with("-")) {
      return Usage(usage);
    } else {
      inputs.emplace_back(args[i]);
    }
  }
  if (inputs.empty() || output.empty()) return Usage(usage);
  // A recording that cannot be read is left out; the others are written.
  std::vector<GpxTrack> tracks;
  std::vector<std::filesystem::path> unreadable;
  std::string why;
  for (const std::filesystem::path& input : inputs) {
    GpxTrack track{input.filename().string(), {}};
    if (!RecordingSize(input)) {
      why = input.string() + " is not a recorder movie";
    } else if (!SensorTrack::LoadRoute(std::span(&input, 1), &track.positions)) {
      why = input.string() + ": its sensor track is unreadable";
    } else {
      tracks.push_back(std::move(track));
      continue;
    }
    unreadable.push_back(input);
  }
  if (tracks.empty()) return Failure("the route cannot be read", why);
  if (!WriteGpx(tracks, output, options, why)) return Failure("the route cannot be written", why);
  if (!unreadable.empty()) return Partial("left out, their routes cannot be read", unreadable);
  return 0;
}
