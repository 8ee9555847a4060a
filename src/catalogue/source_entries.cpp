#include "catalogue/source_entries.h"

#include <algorithm>
#include <cctype>
#include <set>

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

}  // namespace

std::vector<FileEntry> CollectSource(Catalogue& catalogue, const std::filesystem::path& source) {
  std::vector<FileEntry> entries;
  std::error_code error;
  if (std::filesystem::is_regular_file(source, error)) {
    if (IsRecording(source)) catalogue.AddRecording(source, entries);
    return entries;
  }
  int counter = 0;
  catalogue.CollectAll(SourceRoot(source), entries, counter);
  return entries;
}

std::vector<std::filesystem::path> RefusedMovies(const std::filesystem::path& source,
                                                 const std::vector<FileEntry>& entries) {
  std::set<std::filesystem::path> taken;
  for (const FileEntry& entry : entries) taken.insert(entry.path.lexically_normal());
  std::vector<std::filesystem::path> refused;
  const auto consider = [&](const std::filesystem::path& path) {
    if (NamedLikeMovie(path) && !taken.contains(path.lexically_normal())) refused.push_back(path);
  };
  std::error_code error;
  if (!std::filesystem::is_directory(source, error)) {
    if (std::filesystem::is_regular_file(source, error)) consider(source);
    return refused;
  }
  const auto options = std::filesystem::directory_options::follow_directory_symlink |
                       std::filesystem::directory_options::skip_permission_denied;
  for (auto it = std::filesystem::recursive_directory_iterator(SourceRoot(source), options, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file(error)) consider(it->path());
  }
  std::sort(refused.begin(), refused.end());
  return refused;
}
