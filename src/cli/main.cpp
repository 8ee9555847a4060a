#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/output_file.h"
#include "cli/commands.h"
#include "container/posix_io.h"

namespace {

// Runs once, with the signal's own action back in place: removes the
// temporary file of the output being written and ends the process by the
// signal, as it would have ended without the handler.
void EndBySignal(int signal) {
  RemovePendingOutputFiles();
  raise(signal);
}

// A file-size limit makes a write fail (EFBIG) instead of ending the
// process before it can remove its temporary file; an interrupt, a
// termination or a hang-up removes that file. A signal ignored by whoever
// started the process (nohup) stays ignored.
void SetUpSignals() {
  signal(SIGXFSZ, SIG_IGN);
  for (const int ending : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction previous {};
    if (sigaction(ending, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = EndBySignal;
    action.sa_flags = SA_RESETHAND;
    sigfillset(&action.sa_mask);
    sigaction(ending, &action, nullptr);
  }
}

// Straight to the descriptor, so that a write interrupted by a signal goes on.
void Print(int fd, const std::string& text) {
  WriteAll(fd, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void PrintHelp(int fd) {
  std::string text =
      "usage: kestrel-cli COMMAND [ARGS...]\n"
      "Reads, lists, joins, clips and repairs the recordings of a drive recorder.\n\n"
      "commands:\n";
  for (const CliCommand& command : CliCommands()) {
    text.append("  ").append(command.name).append(" ").append(command.usage).append("\n      ");
    text.append(command.summary).append("\n");
  }
  text.append(
      "\nexit status: 0 done; 1 failed; 2 wrong arguments; 3 partly done: csv and gpx wrote\n"
      "their file without the recordings that cannot be read, named on standard error.\n");
  Print(fd, text);
}

}  // namespace

int main(int argc, char* argv[]) {
  SetUpSignals();
  if (argc < 2) {
    PrintHelp(STDERR_FILENO);
    return 2;
  }
  const std::string_view name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(STDOUT_FILENO);
    return 0;
  }
  for (const CliCommand& command : CliCommands()) {
    if (command.name == name) return command.run(std::span<char* const>(argv + 2, argv + argc));
  }
  Print(STDERR_FILENO,
        "kestrel-cli: unknown command '" + std::string(name) + "' (see kestrel-cli --help)\n");
  return 2;
}
