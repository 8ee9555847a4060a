#pragma once

#include <string_view>

// Returns the label of a recording's trigger, taken from its name: only
// when the name has at least 16 characters, character 10 is '_' and
// character 11 a trigger letter ("常時", "マニュアル", "衝撃", "駐車",
// "駐車衝撃"); any other name gives "". UTF-8.
std::string_view TriggerLabel(std::string_view name);
