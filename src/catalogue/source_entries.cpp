#include "catalogue/source_entries.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>

#include "catalogue/folder_listing.h"
#include "catalogue/recording_check.h"

namespace {

std::filesystem::path SourceRoot(const std::filesystem::path& source) {
  std::error_code error;
  const std::filesystem::path dcim = source / "DCIM";
  return std::filesystem::is_directory(dcim, error) ? dcim : source;
}

bool NamedLikeMovie(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return extension == ".MOV";
}

bool Running(const std::atomic<bool>* running) { return running == nullptr || running->load(); }

// Calls `consider` for every file of `folder` and its subfolders, as the
// catalogue walks them: down to its depth limit, each folder once.
void WalkFiles(const std::filesystem::path& folder, int depth, VisitedFolders& visited,
               const std::atomic<bool>* running,
               const std::function<void(const std::filesystem::path&)>& consider) {
  for (const ListedName& listed : ListFolder(folder)) {
    if (!Running(running)) return;
    if (!listed.isFolder) {
      consider(listed.path);
    } else if (depth < Catalogue::kMaxDepth && visited.Enter(listed.path)) {
      WalkFiles(listed.path, depth + 1, visited, running, consider);
    }
  }
}

}  // namespace

std::vector<FileEntry> CollectSource(Catalogue& catalogue, const std::filesystem::path& source,
                                     const std::atomic<bool>* running) {
  std::vector<FileEntry> entries;
  std::error_code error;
  if (std::filesystem::is_regular_file(source, error)) {
    if (IsRecording(source)) catalogue.AddRecording(source, entries);
    return entries;
  }
  int counter = 0;
  catalogue.CollectAll(SourceRoot(source), entries, counter, running);
  return entries;
}

std::vector<std::filesystem::path> RefusedMovies(const std::filesystem::path& source,
                                                 const std::vector<FileEntry>& entries,
                                                 const std::atomic<bool>* running) {
  std::set<std::filesystem::path> taken;
  for (const FileEntry& entry : entries) taken.insert(entry.path.lexically_normal());
  std::vector<std::filesystem::path> refused;
  std::error_code error;
  const auto consider = [&](const std::filesystem::path& path) {
    if (NamedLikeMovie(path) && std::filesystem::is_regular_file(path, error) &&
        !taken.contains(path.lexically_normal())) {
      refused.push_back(path);
    }
  };
  if (!std::filesystem::is_directory(source, error)) {
    consider(source);
    return refused;
  }
  const std::filesystem::path root = SourceRoot(source);
  VisitedFolders visited;
  if (visited.Enter(root)) WalkFiles(root, 0, visited, running, consider);
  std::sort(refused.begin(), refused.end());
  return refused;
}
