#pragma once

// Pieces the benchmarks share: timing, the floor of judging recordings, and
// a card of many recordings made of hard links to one.

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

// The median wall time of `runs` runs of `work`, in seconds. Every run
// starts with no dirty pages left by the one before, so that writers are
// not throttled by each other's write-back.
double MedianSeconds(int runs, const std::function<void()>& work);

// A stat and two small reads (head and tail) per file: what judging a
// recording cannot do without.
void StatAndTwoReads(const std::vector<std::filesystem::path>& files);

// `count` hard links to `recording` under `card`/DCIM, `perFolder` to a
// folder (100MEDIA, 101MEDIA, ...), named as the recorder names them with
// the trigger letters of `triggers` in turn. Links already there are kept.
std::vector<std::filesystem::path> LinkedCard(const std::filesystem::path& recording,
                                              const std::filesystem::path& card, int count,
                                              int perFolder, std::string_view triggers);
