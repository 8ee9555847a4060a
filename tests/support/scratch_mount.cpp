#include "scratch_mount.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

ScratchMount::ScratchMount(std::uint64_t bytes) {
  const std::string options = "size=" + std::to_string(bytes);
  mounted_ = mount("tmpfs", dir_.path().c_str(), "tmpfs", 0, options.c_str()) == 0;
  if (!mounted_) error_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
}

ScratchMount::~ScratchMount() {
  if (mounted_) umount2(dir_.path().c_str(), MNT_DETACH);
}

bool ScratchMount::MakeReadOnly() {
  return mounted_ &&
         mount(nullptr, dir_.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
