#include <cstdio>
#include <span>
#include <string_view>

#include "cli/commands.h"

namespace {

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: kestrel-cli COMMAND [ARGS...]\n"
               "Reads, lists and joins the recordings of a drive recorder.\n\n"
               "commands:\n");
  for (const CliCommand& command : CliCommands()) {
    std::fprintf(out, "  %.*s %.*s\n      %.*s\n", static_cast<int>(command.name.size()),
                 command.name.data(), static_cast<int>(command.usage.size()), command.usage.data(),
                 static_cast<int>(command.summary.size()), command.summary.data());
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    PrintHelp(stderr);
    return 2;
  }
  const std::string_view name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(stdout);
    return 0;
  }
  for (const CliCommand& command : CliCommands()) {
    if (command.name == name) return command.run(std::span<char* const>(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "kestrel-cli: unknown command '%s' (see kestrel-cli --help)\n", argv[1]);
  return 2;
}
