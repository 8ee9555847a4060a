#include "cli/commands.h"

#include <array>

int RunInfo(std::span<char* const> args);    // info_command.cpp
int RunList(std::span<char* const> args);    // catalogue_commands.cpp
int RunCsv(std::span<char* const> args);     // catalogue_commands.cpp
int RunJoin(std::span<char* const> args);    // catalogue_commands.cpp
int RunGpx(std::span<char* const> args);     // catalogue_commands.cpp
int RunEvents(std::span<char* const> args);  // events_command.cpp
int RunRepair(std::span<char* const> args);  // repair_command.cpp
int RunClip(std::span<char* const> args);    // clip_command.cpp

namespace {

// Each subcommand lives in a file of its own and is listed here.
constexpr std::array<CliCommand, 8> kCommands{{
    {"info", "FILE [--records] [--frame-index]",
     "prints a recording's atoms, frame details, start time and sensor track as JSON", RunInfo},
    {"list", "SOURCE [--json]",
     "lists a source's recordings: name, trigger, size, path (escapes: README.md)", RunList},
    {"csv", "SOURCE OUTDIR [--force] [--time-offset SECONDS]",
     "writes the CSV list of a source's recordings into OUTDIR (--force: replace it)", RunCsv},
    {"join", "OUTPUT INPUT...", "joins recordings, in the given order, into one movie", RunJoin},
    {"gpx", "FILE... -o OUT.gpx [--time-zone ZONE] [--time-offset SECONDS]",
     "writes the routes of recordings as GPX, in UTC from the recorder's zone", RunGpx},
    {"events", "SOURCE [--json] [--kind K]... [--time-zone ZONE] [--time-offset SECONDS]",
     "lists every event mark of a source's recordings in time order", RunEvents},
    {"repair", "FILE [-o OUT] [--reference GOOD.MOV]",
     "makes a recording that an impact cut short into a movie that plays (NAME_repaired.MOV)",
     RunRepair},
    {"clip", "SOURCE (--from T --to T | --event N [--before S] [--after S]) -o OUT [--force]",
     "keeps a stretch of the drive, or the seconds around an event, as a recorder file", RunClip},
}};

}  // namespace

std::span<const CliCommand> CliCommands() { return kCommands; }
