#include "catalogue/folder_cleanup.h"

#include <system_error>

#include "catalogue/catalogue.h"
#include "catalogue/folder_listing.h"

namespace {

// Runs `call` (a file system call reporting through an error code) again for
// as long as a signal interrupts it; true when it then succeeded. Each call
// here can be made again after it was cut short.
template <typename Call>
bool RetryingInterrupted(Call call) {
  std::error_code error;
  do {
    error.clear();
    call(error);
  } while (error == std::errc::interrupted);
  return !error;
}

}  // namespace

bool DeleteTree(const std::filesystem::path& folder) {
  return RetryingInterrupted(
      [&](std::error_code& error) { std::filesystem::remove_all(folder, error); });
}

bool RemoveEmptyFolders(const std::filesystem::path& folder, bool recurse, int depth) {
  if (!recurse || depth >= Catalogue::kMaxDepth) return true;
  for (const ListedName& listed : ListFolder(folder)) {
    if (!listed.isFolder) continue;
    if (!RemoveEmptyFolders(listed.path, recurse, depth + 1)) return false;
    bool empty = false;
    const bool looked = RetryingInterrupted(
        [&](std::error_code& error) { empty = std::filesystem::is_empty(listed.path, error); });
    if (!looked || !empty) continue;
    bool removed = false;
    if (!RetryingInterrupted([&](std::error_code& error) {
          removed = std::filesystem::remove(listed.path, error);
        }) ||
        !removed) {
      return false;
    }
  }
  return true;
}
