#include "catalogue/folder_listing.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>

#include "catalogue/name_order.h"

std::vector<ListedName> ListFolder(const std::filesystem::path& folder) {
  std::vector<ListedName> names;
  std::error_code error;
  std::filesystem::directory_iterator it;
  do {  // opening the folder goes on when a signal interrupts it
    it = std::filesystem::directory_iterator(folder, error);
  } while (error == std::errc::interrupted);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code typeError;
    names.push_back({it->path().filename().string(), it->path(), it->is_directory(typeError)});
  }
  std::sort(names.begin(), names.end(),
            [](const ListedName& a, const ListedName& b) { return Utf16Less(a.name, b.name); });
  return names;
}

std::vector<ListedName> ListFolderFoldersFirst(const std::filesystem::path& folder) {
  std::vector<ListedName> names = ListFolder(folder);
  std::stable_partition(names.begin(), names.end(), [](const ListedName& n) { return n.isFolder; });
  return names;
}

bool VisitedFolders::Enter(const std::filesystem::path& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) return false;
  return seen_.emplace(info.st_dev, info.st_ino).second;
}
