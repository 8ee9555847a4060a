#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mkcard {

// Turns ffmpeg's QuickTime output (ftyp, an 8-byte wide, mdat, moov) into the
// recorder's layout without moving a sample: the wide header becomes the mdat
// header (8 bytes larger) and the old mdat header an 8-byte atom named "wide",
// so the mdat content begins with 8 bytes that are not sample data. Then the
// sensor atom udat with `payload` and the closing 12-byte atom "free" are
// appended. Returns an empty string on success, else the failure; a file of
// any other layout is refused untouched.
std::string ApplyRecorderLayout(const std::filesystem::path& file,
                                const std::vector<std::uint8_t>& payload);

// Cuts the file half-way through the content of its mdat atom, as a recorder
// that lost power leaves it. Returns an empty string on success.
std::string CutInsideMdat(const std::filesystem::path& file);

}  // namespace mkcard
