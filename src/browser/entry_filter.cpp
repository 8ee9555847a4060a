#include "browser/entry_filter.h"

#include <algorithm>

#include "catalogue/movie_names.h"

int TypeIndex(char letter) {
  const auto found = std::find(kTypeLetters.begin(), kTypeLetters.end(), letter);
  return (letter == 0 || found == kTypeLetters.end())
             ? -1
             : static_cast<int>(found - kTypeLetters.begin());
}

std::vector<FileEntry> FilterByType(const std::vector<FileEntry>& entries,
                                    const TypeSwitches& shown) {
  std::vector<FileEntry> rows;
  rows.reserve(entries.size());
  for (const FileEntry& entry : entries) {
    const int type = TypeIndex(TriggerLetter(entry.name));
    if (type < 0 || shown[type]) rows.push_back(entry);
  }
  return rows;
}
