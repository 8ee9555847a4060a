#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "catalogue/file_entry.h"
#include "container/event_marks.h"

// The event marks of every recording of a source, found by the same
// channels and rules as the G-sensor graph and the map.

// One event: where a run of records with the same mark starts.
struct SourceEvent {
  int icon = kNoMark;
  int channel = 0;
  std::int32_t sequence = 0;  // the record's number within its recording
  std::int64_t offsetMs = 0;  // from the recording's start
  CalendarTime time;          // the recorder's clock; zero when the record has none
  bool hasPosition = false;   // a fixed position
  double latitude = 0;
  double longitude = 0;
  double speed = 0;  // km/h, with a position
  // The largest |G| over the run: of its axis for an impact, of any axis
  // for the other kinds.
  double peakG = 0;
};

// The events of one recording, in record order.
struct RecordingEvents {
  std::size_t entry = 0;  // index into the scanned entries
  bool readable = false;  // false: the file could not be read as a recording
  std::vector<SourceEvent> events;
};

struct EventScanOptions {
  EventChannelSwitches switches;
  // Cleared by the caller to cancel; looked at before each recording.
  const std::atomic<bool>* running = nullptr;
  // Told each recording's events as soon as it is read, in list order.
  std::function<void(RecordingEvents)> found;
};

// The events of one recording. The G marks count only where the trigger
// allows them (not for the triggers A and P).
RecordingEvents RecordingEventsOf(const FileEntry& entry, const EventChannelSwitches& switches);

// Reads every entry in turn (on the caller's thread, which is a worker's in
// the viewer); a recording that cannot be read is reported unreadable and
// the scan goes on. Returns false when cancelled.
bool ScanEvents(const std::vector<FileEntry>& entries, const EventScanOptions& options);
