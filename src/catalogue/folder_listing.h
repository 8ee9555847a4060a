#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One name of a folder listing.
struct ListedName {
  std::string name;             // the file or folder name
  std::filesystem::path path;   // folder / name
  bool isFolder = false;
};

// Lists a folder completely, then sorts it by name in UTF-16 code-unit order.
// "." and ".." never appear. A folder that cannot be listed gives an empty
// list.
std::vector<ListedName> ListFolder(const std::filesystem::path& folder);

// The same listing with every subfolder first (each group sorted by name).
std::vector<ListedName> ListFolderFoldersFirst(const std::filesystem::path& folder);
