#pragma once

#include <string>
#include <vector>

#include "mkcard/card_plan.h"

namespace mkcard {

struct CommandLine {
  CardOptions options;
  std::string outdir;
  bool help = false;
  std::string error;  // set when the arguments are not usable
};

// Parses the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Returns the --help text.
std::string UsageText();

}  // namespace mkcard
