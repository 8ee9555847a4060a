#include "temp_dir.h"

#include <stdlib.h>

#include <string>
#include <system_error>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

FolderListing FilesUnder(const std::filesystem::path& folder) {
  FolderListing files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path()] = {entry.file_size(), entry.last_write_time()};
  }
  return files;
}
