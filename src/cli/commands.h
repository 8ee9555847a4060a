#pragma once

#include <span>
#include <string_view>

// One subcommand of kestrel-cli. run() gets the arguments after the
// subcommand's name and returns the exit status: 0 success, 1 failure,
// 2 usage error.
struct CliCommand {
  std::string_view name;
  std::string_view usage;    // the arguments, e.g. "FILE [--records]"
  std::string_view summary;  // one line for --help
  int (*run)(std::span<char* const> args);
};

// Returns the subcommands in the order --help lists them.
std::span<const CliCommand> CliCommands();
