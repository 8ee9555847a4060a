#include "browser/entry_sort.h"

#include <algorithm>
#include <compare>
#include <ctime>
#include <tuple>
#include <utility>

namespace {

template <typename Field>
void SortBy(std::vector<FileEntry>& entries, Field field) {
  std::sort(entries.begin(), entries.end(),
            [&](const FileEntry& a, const FileEntry& b) { return field(a) < field(b); });
}

// The start time as a file time orders it: field by field, to the
// millisecond; a recording not opened yet (all zero) first.
auto FileTimeKey(const FileEntry& e) {
  const CalendarTime& t = e.startTime;
  return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond);
}

// The start time as a calendar time value (local time, whole seconds); -1
// for a recording not opened yet.
std::time_t CalendarKey(const CalendarTime& t) {
  if (t == CalendarTime{}) return -1;
  std::tm local = t.ToTm();
  return std::mktime(&local);
}

// Sorts by the calendar time value, converting each start time once.
void SortByCalendarTime(std::vector<FileEntry>& entries) {
  std::vector<std::pair<std::time_t, FileEntry>> keyed;
  keyed.reserve(entries.size());
  for (FileEntry& e : entries) keyed.emplace_back(CalendarKey(e.startTime), std::move(e));
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < keyed.size(); ++i) entries[i] = std::move(keyed[i].second);
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
      SortBy(entries, FileTimeKey);
      return true;
    case SortKey::kStartCalendarTime:
      SortByCalendarTime(entries);
      return true;
    case SortKey::kDuration:
      break;
  }
  return false;
}
