#pragma once

#include <filesystem>

// Deletes every file and subfolder of `folder`, then the folder itself.
// Stops with false at the first file or folder that cannot be deleted.
bool DeleteTree(const std::filesystem::path& folder);

// Removes the subfolders of `folder` (down to three levels) that are left
// empty, deepest first. A folder that still holds any file, however deep,
// is kept, so no recording is ever lost. Does nothing without `recurse`.
// Stops with false at the first folder that cannot be removed.
bool RemoveEmptyFolders(const std::filesystem::path& folder, bool recurse, int depth = 0);
