#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <utility>

// A fresh, empty folder under the system's temporary folder, removed with
// the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The files under a folder with their sizes and change times, to show that
// something left them as they were.
using FolderListing =
    std::map<std::filesystem::path, std::pair<std::uintmax_t, std::filesystem::file_time_type>>;
FolderListing FilesUnder(const std::filesystem::path& folder);
