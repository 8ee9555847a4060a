#include "cli/commands.h"

#include <array>

namespace {

// Each subcommand lives in a file of its own and is listed here.
constexpr std::array<CliCommand, 0> kCommands{};

}  // namespace

std::span<const CliCommand> CliCommands() { return kCommands; }
