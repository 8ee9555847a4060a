#pragma once

#include <filesystem>

// One generated 1080p30 recording of `seconds` under `dir` (written the first
// time, kept after that), as the window benchmarks' source of hard links.
std::filesystem::path OneRecording(const std::filesystem::path& dir, int seconds);

// A card of `count` hard links to `recording` (one folder, trigger "N") at
// `root`/card, and `root`/work made the viewer's working folder, where its
// settings file goes. Returns the card.
std::filesystem::path CardOfLinks(const std::filesystem::path& recording,
                                  const std::filesystem::path& root, int count);
