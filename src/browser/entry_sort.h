#pragma once

#include <vector>

#include "catalogue/file_entry.h"

// The sort keys of the recording list's columns, always ascending.
enum class SortKey {
  kSerial = 0,
  kTrigger = 1,
  kQuality = 2,
  kFrameRate = 3,
  kStartFileTime = 4,
  kStartCalendarTime = 5,
  kDuration = 6,
  kFileSize = 7,
};

// Sorts `entries` by `key` (0..7, see SortKey). The order of entries with
// equal keys is not kept. False, leaving the entries as they are, for a key
// out of range and for the duration (6), which the entries do not carry.
bool SortEntries(std::vector<FileEntry>& entries, int key);
