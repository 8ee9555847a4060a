// kestrel-mkcard: writes a sample memory card of recorder files.
#include <iostream>

#include "mkcard/card_writer.h"
#include "mkcard/command_line.h"

int main(int argc, char** argv) {
  const mkcard::CommandLine line =
      mkcard::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.help) {
    std::cout << mkcard::UsageText();
    return 0;
  }
  if (!line.error.empty()) {
    std::cerr << "kestrel-mkcard: " << line.error << "\n";
    return 2;
  }
  const std::string failure = mkcard::WriteCard(line.options, line.outdir);
  if (!failure.empty()) {
    std::cerr << "kestrel-mkcard: " << failure << "\n";
    return 1;
  }
  return 0;
}
