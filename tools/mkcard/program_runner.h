#pragma once

#include <string>
#include <vector>

namespace mkcard {

struct ProgramResult {
  std::string failure;  // empty when the program exited with status 0
  std::string output;   // what it wrote to stdout
  std::string errors;   // what it wrote to stderr
};

// Runs `argv` (argv[0] looked up in PATH, no shell) with stdin from /dev/null,
// collecting stdout and stderr. On failure, `failure` names the program, how
// it ended and its last line on stderr.
ProgramResult RunProgram(const std::vector<std::string>& argv);

}  // namespace mkcard
