#include "catalogue/source_entries.h"

#include "catalogue/recording_check.h"

std::vector<FileEntry> CollectSource(Catalogue& catalogue, const std::filesystem::path& source) {
  std::vector<FileEntry> entries;
  std::error_code error;
  if (std::filesystem::is_regular_file(source, error)) {
    if (IsRecording(source)) catalogue.AddRecording(source, entries);
    return entries;
  }
  const std::filesystem::path dcim = source / "DCIM";
  int counter = 0;
  catalogue.CollectAll(std::filesystem::is_directory(dcim, error) ? dcim : source, entries, counter);
  return entries;
}
