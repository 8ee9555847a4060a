#include "cli/commands.h"

#include <array>

int RunInfo(std::span<char* const> args);  // info_command.cpp

namespace {

// Each subcommand lives in a file of its own and is listed here.
constexpr std::array<CliCommand, 1> kCommands{{
    {"info", "FILE [--records] [--frame-index]",
     "prints a recording's atoms, frame details, start time and sensor track as JSON", RunInfo},
}};

}  // namespace

std::span<const CliCommand> CliCommands() { return kCommands; }
