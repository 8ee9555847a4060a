#include "browser/entry_sort.h"

#include <algorithm>
#include <compare>
#include <tuple>

namespace {

template <typename Field>
void SortBy(std::vector<FileEntry>& entries, Field field) {
  std::sort(entries.begin(), entries.end(),
            [&](const FileEntry& a, const FileEntry& b) { return field(a) < field(b); });
}

}  // namespace

bool SortEntries(std::vector<FileEntry>& entries, int key) {
  switch (static_cast<SortKey>(key)) {
    case SortKey::kSerial:
      // The serial, then the field after it: a strict order even when folder
      // lines (-1) and recordings (0) are mixed.
      SortBy(entries, [](const FileEntry& e) { return std::tie(e.serial, e.reserved); });
      return true;
    case SortKey::kTrigger:
      SortBy(entries, [](const FileEntry& e) { return e.triggerInitial; });
      return true;
    case SortKey::kQuality:
      SortBy(entries, [](const FileEntry& e) { return e.quality; });
      return true;
    case SortKey::kFrameRate:
      // Frame rates are finite; a total order keeps the sort sound anyway.
      std::sort(entries.begin(), entries.end(), [](const FileEntry& a, const FileEntry& b) {
        return std::strong_order(a.frameRate, b.frameRate) < 0;
      });
      return true;
    case SortKey::kFileSize:
      SortBy(entries, [](const FileEntry& e) { return e.fileSize; });
      return true;
    case SortKey::kStartFileTime:
    case SortKey::kStartCalendarTime:
    case SortKey::kDuration:
      break;
  }
  return false;
}
