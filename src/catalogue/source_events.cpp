#include "catalogue/source_events.h"

#include <algorithm>
#include <cmath>

#include "catalogue/movie_names.h"
#include "catalogue/recording_check.h"
#include "container/sensor_track.h"

namespace {

double AxisG(const AccelRecord& r, int channel) {
  switch (channel) {
    case kChannelX:
      return std::fabs(r.x);
    case kChannelY:
      return std::fabs(r.y);
    case kChannelZ:
      return std::fabs(r.z);
    default:
      return std::max({std::fabs(r.x), std::fabs(r.y), std::fabs(r.z)});
  }
}

SourceEvent EventOf(const SensorTrack& track, const EventMark& mark, bool gMarks) {
  SourceEvent e;
  e.icon = mark.icon;
  e.channel = mark.channel;
  e.sequence = mark.sequence;
  e.offsetMs = std::int64_t{mark.sequence} * kRecordIntervalMs;
  const auto at = static_cast<std::size_t>(mark.sequence);
  if (at < track.positions.size()) {
    const PositionRecord& p = track.positions[at];
    e.time = p.time;
    e.hasPosition = p.valid == 1;
    if (e.hasPosition) {
      e.latitude = p.latitude;
      e.longitude = p.longitude;
      e.speed = p.speed;
    }
  }
  for (std::size_t k = at; k < track.accels.size() &&
                           ClassifyRecord(mark.channel, track.accels[k], gMarks) == mark.icon;
       ++k) {
    e.peakG = std::max(e.peakG, AxisG(track.accels[k], mark.channel));
  }
  return e;
}

}  // namespace

RecordingEvents RecordingEventsOf(const FileEntry& entry, const EventChannelSwitches& switches) {
  RecordingEvents result;
  SensorTrack track;
  if (!IsRecording(entry.path) || !track.Load(entry.path)) return result;
  result.readable = true;
  const char trigger = TriggerLetter(entry.name);
  const bool gMarks = trigger != 'A' && trigger != 'P';
  for (const EventMark& mark : CollectRecordMarks(track, switches, gMarks)) {
    result.events.push_back(EventOf(track, mark, gMarks));
  }
  return result;
}

bool ScanEvents(const std::vector<FileEntry>& entries, const EventScanOptions& options) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (options.running != nullptr && !options.running->load()) return false;
    RecordingEvents events = RecordingEventsOf(entries[i], options.switches);
    events.entry = i;
    if (options.found) options.found(std::move(events));
  }
  return true;
}
