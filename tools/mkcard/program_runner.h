#pragma once

#include <string>
#include <vector>

namespace mkcard {

// Runs `argv` (argv[0] looked up in PATH, no shell) with stdin from /dev/null
// and stdout and stderr collected. Returns an empty string when it exited with
// status 0, else a one-line account naming the program and its last output line.
std::string RunProgram(const std::vector<std::string>& argv);

}  // namespace mkcard
