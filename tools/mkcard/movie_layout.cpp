#include "mkcard/movie_layout.h"

#include <array>
#include <fstream>

namespace mkcard {
namespace {

struct TopAtom {
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
  std::string name;
};

std::array<char, 8> AtomHeader(std::uint32_t size, const char* name) {
  return {static_cast<char>(size >> 24),
          static_cast<char>(size >> 16),
          static_cast<char>(size >> 8),
          static_cast<char>(size),
          name[0],
          name[1],
          name[2],
          name[3]};
}

// Reads the top-level atoms. Fails on a 64-bit or impossible size.
std::string ReadTopAtoms(std::fstream& file, std::uint64_t fileSize, std::vector<TopAtom>& atoms) {
  std::uint64_t offset = 0;
  while (offset < fileSize) {
    std::array<unsigned char, 8> header{};
    file.seekg(static_cast<std::streamoff>(offset));
    if (fileSize - offset < 8 || !file.read(reinterpret_cast<char*>(header.data()), 8)) {
      return "truncated atom header at offset " + std::to_string(offset);
    }
    const std::uint32_t size = static_cast<std::uint32_t>(header[0]) << 24 |
                               static_cast<std::uint32_t>(header[1]) << 16 |
                               static_cast<std::uint32_t>(header[2]) << 8 | header[3];
    const std::string name(reinterpret_cast<const char*>(header.data()) + 4, 4);
    if (size < 8 || size > fileSize - offset) {
      return "atom '" + name + "' at offset " + std::to_string(offset) + " has size " +
             std::to_string(size);
    }
    atoms.push_back({offset, size, name});
    offset += size;
  }
  return {};
}

std::string Open(const std::filesystem::path& path, std::fstream& file, std::uint64_t& size) {
  std::error_code error;
  size = std::filesystem::file_size(path, error);
  if (error) return path.filename().string() + ": " + error.message();
  file.open(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!file) return path.filename().string() + ": cannot open";
  return {};
}

}  // namespace

std::string ApplyRecorderLayout(const std::filesystem::path& path,
                                const std::vector<std::uint8_t>& payload) {
  std::fstream file;
  std::uint64_t size = 0;
  if (std::string error = Open(path, file, size); !error.empty()) return error;
  std::vector<TopAtom> atoms;
  if (std::string error = ReadTopAtoms(file, size, atoms); !error.empty()) return error;
  std::string names;
  for (const TopAtom& atom : atoms) names += (names.empty() ? "" : " ") + atom.name;
  if (names != "ftyp wide mdat moov" || atoms[1].size != 8) {
    return "ffmpeg wrote the top-level atoms '" + names + "', expected 'ftyp wide mdat moov'";
  }
  const TopAtom& wide = atoms[1];
  const TopAtom& mdat = atoms[2];
  if (mdat.size > 0xFFFFFFFFu - 8 || payload.size() > 0xFFFFFFFFu - 8) {
    return "the movie is too large for 32-bit atom sizes";
  }
  const auto mdatHeader = AtomHeader(mdat.size + 8, "mdat");
  const auto wideHeader = AtomHeader(8, "wide");
  const auto udatHeader = AtomHeader(static_cast<std::uint32_t>(payload.size() + 8), "udat");
  const auto closing = AtomHeader(12, "free");
  const char zeros[4] = {};
  file.seekp(static_cast<std::streamoff>(wide.offset));
  file.write(mdatHeader.data(), 8);
  file.seekp(static_cast<std::streamoff>(mdat.offset));
  file.write(wideHeader.data(), 8);
  file.seekp(0, std::ios::end);
  file.write(udatHeader.data(), 8);
  file.write(reinterpret_cast<const char*>(payload.data()),
             static_cast<std::streamsize>(payload.size()));
  file.write(closing.data(), 8);
  file.write(zeros, 4);
  file.close();
  if (!file) return path.filename().string() + ": write failed";
  return {};
}

std::string CutInsideMdat(const std::filesystem::path& path) {
  std::fstream file;
  std::uint64_t size = 0;
  if (std::string error = Open(path, file, size); !error.empty()) return error;
  std::vector<TopAtom> atoms;
  if (std::string error = ReadTopAtoms(file, size, atoms); !error.empty()) return error;
  file.close();
  for (const TopAtom& atom : atoms) {
    if (atom.name != "mdat") continue;
    std::error_code error;
    std::filesystem::resize_file(path, atom.offset + 8 + (atom.size - 8) / 2, error);
    return error ? path.filename().string() + ": " + error.message() : std::string();
  }
  return path.filename().string() + ": no mdat atom";
}

}  // namespace mkcard
