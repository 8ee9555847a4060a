#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// The media of a recording that lost power while it was written: the file
// begins with its file type atom, then the media atom, and ends inside the
// media (or after it, without the movie index).
struct CutShortMedia {
  std::uint64_t offset = 0;  // of the media atom's content
  std::uint64_t length = 0;  // of the content the file holds
};

// The media of `path` when it is such a file; nothing with the reason
// otherwise (a healthy recording among them).
std::optional<CutShortMedia> FindCutShortMedia(const std::filesystem::path& path, std::string& why);
