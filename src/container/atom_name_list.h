#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The six atom names on the way to the video track's time-to-sample table,
// in the order FrameRateScan follows them.
inline constexpr std::size_t kAtomPathNameCount = 6;
// The atom names that the reader treats as atoms; every other name ends the
// walk of the container it appears in.
inline constexpr std::size_t kKnownAtomNameCount = 168;

// The path names first, then the known names (case-sensitive, blanks
// included; "xml " stands twice, which is harmless).
extern const std::array<std::string_view, kAtomPathNameCount + kKnownAtomNameCount> AtomNameList;
