#pragma once

#include <string_view>

// Returns true when `a` sorts before `b` in the ascending order of their
// UTF-16 code units (letter case counts; a prefix sorts first). Names are
// UTF-8 on this platform; the order is the one the recorder's PC software
// lists names in, which differs from plain byte order only for characters
// beyond U+FFFF against U+E000..U+FFFF.
bool Utf16Less(std::string_view a, std::string_view b);
