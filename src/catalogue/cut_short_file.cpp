#include "catalogue/cut_short_file.h"

#include <unistd.h>

#include <array>
#include <string_view>

#include "container/file_view.h"
#include "container/posix_io.h"

std::optional<CutShortMedia> FindCutShortMedia(const std::filesystem::path& path,
                                               std::string& why) {
  const int fd = OpenRegularFile(path, &why);
  if (fd < 0) {
    why = path.string() + ": " + why;
    return std::nullopt;
  }
  std::optional<CutShortMedia> media;
  bool hasIndex = false;
  const off_t end = lseek(fd, 0, SEEK_END);
  const auto size = static_cast<std::uint64_t>(end < 0 ? 0 : end);
  std::uint64_t at = 0;
  for (int atoms = 0; at + 8 <= size && atoms < 64; ++atoms) {
    std::array<std::uint8_t, 8> header{};
    if (!ReadExactAt(fd, header, at)) break;
    const std::uint64_t atomSize =
        std::uint64_t{header[0]} << 24 | header[1] << 16 | header[2] << 8 | header[3];
    const std::string_view name(reinterpret_cast<const char*>(header.data()) + 4, 4);
    if ((atoms == 0 && name != "ftyp") || atomSize < 8) break;
    if (name == "mdat" && !media) media = CutShortMedia{at + 8, std::min(atomSize, size - at) - 8};
    if (name == "moov") hasIndex = true;
    at += atomSize;
  }
  close(fd);
  if (!media) {
    why = path.string() + " holds no media atom behind a file type atom: not a recording";
    return std::nullopt;
  }
  if (hasIndex) {
    why = path.string() + " still has its movie index: it was not cut short inside its media";
    return std::nullopt;
  }
  return media;
}
