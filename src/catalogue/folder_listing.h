#pragma once

#include <sys/types.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

// One name of a folder listing.
struct ListedName {
  std::string name;            // the file or folder name
  std::filesystem::path path;  // folder / name
  bool isFolder = false;
};

// Lists a folder completely, then sorts it by name in UTF-16 code-unit order.
// "." and ".." never appear. A folder that cannot be listed gives an empty
// list.
std::vector<ListedName> ListFolder(const std::filesystem::path& folder);

// The same listing with every subfolder first (each group sorted by name).
std::vector<ListedName> ListFolderFoldersFirst(const std::filesystem::path& folder);

// The folders a walk has entered, known by their identity (device and
// inode): a link that leads back up the tree, or a second name for a
// folder, is not entered again.
class VisitedFolders {
 public:
  // True the first time `folder` is seen; false again after that, and for
  // a folder that cannot be looked at.
  bool Enter(const std::filesystem::path& folder);

 private:
  std::set<std::pair<dev_t, ino_t>> seen_;
};
