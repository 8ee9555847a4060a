#pragma once

#include <cstddef>
#include <string_view>

// The length of the well-formed UTF-8 sequence of two bytes or more that
// starts at `at`, or 0: no overlong forms, no surrogates, nothing above
// U+10FFFF, nothing cut off by the end of the text.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);
