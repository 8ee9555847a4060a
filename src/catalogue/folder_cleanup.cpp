#include "catalogue/folder_cleanup.h"

#include <system_error>

#include "catalogue/catalogue.h"
#include "catalogue/folder_listing.h"

bool DeleteTree(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return !error;
}

bool RemoveEmptyFolders(const std::filesystem::path& folder, bool recurse, int depth) {
  if (!recurse || depth >= Catalogue::kMaxDepth) return true;
  for (const ListedName& listed : ListFolder(folder)) {
    if (!listed.isFolder) continue;
    if (!RemoveEmptyFolders(listed.path, recurse, depth + 1)) return false;
    std::error_code error;
    if (std::filesystem::is_empty(listed.path, error) && !error) {
      if (!std::filesystem::remove(listed.path, error)) return false;
    }
  }
  return true;
}
