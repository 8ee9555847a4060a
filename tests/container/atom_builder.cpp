#include "atom_builder.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

namespace atoms {

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

bool WriteSparse(const std::filesystem::path& path, const std::vector<Stretch>& stretches) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::uint64_t at = 0;
  bool ok = true;
  for (const Stretch& stretch : stretches) {
    ok = ok && ::pwrite(fd, stretch.bytes.data(), stretch.bytes.size(), static_cast<off_t>(at)) ==
                   static_cast<ssize_t>(stretch.bytes.size());
    at += stretch.bytes.size() + stretch.hole;
  }
  ok = ok && ::ftruncate(fd, static_cast<off_t>(at)) == 0;
  return ::close(fd) == 0 && ok;
}

}  // namespace atoms
