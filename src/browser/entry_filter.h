#pragma once

#include <array>
#include <vector>

#include "catalogue/file_entry.h"

// The recording list's type filter: one switch per trigger letter, in the
// order of the panel's filter buttons.
constexpr std::array<char, 5> kTypeLetters = {'A', 'G', 'M', 'P', 'S'};
using TypeSwitches = std::array<bool, kTypeLetters.size()>;

// Returns the switch index of a trigger letter, or -1 for an entry without
// a type.
int TypeIndex(char letter);

// Returns the entries that pass the switches, in their order: a typed entry
// passes when its letter's switch is on; entries without a type always pass.
std::vector<FileEntry> FilterByType(const std::vector<FileEntry>& entries,
                                    const TypeSwitches& shown);
