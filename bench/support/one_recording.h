#pragma once

#include <filesystem>

// One generated 1080p30 recording of `seconds` under `dir` (written the first
// time, kept after that), as the window benchmarks' source of hard links.
std::filesystem::path OneRecording(const std::filesystem::path& dir, int seconds);
