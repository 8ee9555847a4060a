#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "container/sensor_records.h"

// One recording of the open source, or one folder line of the folder tree.
// Plain value, copied freely.
struct FileEntry {
  std::filesystem::path path;
  std::string name;         // file name with extension
  int scanIndex = 0;        // position in the scan that created it; -1 for a folder line
  int serial = 0;           // running number since start; -1 for a folder line
  int reserved = 0;         // 0 for recordings, -1 for a folder line
  int triggerInitial = 0;   // the trigger letter when the name carries one, else 0
  int reserved2 = 0;        // 1 while the recording is selected for a join
  int quality = 0;          // 0 until opened; then 1..6
  float frameRate = 0;      // 0 until opened; then 1000 / the player's frame unit
  CalendarTime startTime;   // zero until opened; then the local time of the first record
  std::uint64_t fileSize = 0;  // bytes; all ones for a folder line
  // A file named like a recording that an impact cut short (it ends inside
  // its media, without index and sensor track): listed to be repaired, not
  // played.
  bool repairable = false;
};
