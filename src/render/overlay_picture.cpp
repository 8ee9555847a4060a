#include "render/overlay_picture.h"

#include <algorithm>
#include <memory>

#include "base/event_channel_text.h"
#include "catalogue/source_events.h"
#include "container/movie_file.h"
#include "container/picture_table.h"
#include "container/sensor_track.h"

namespace {

// An event of the stretch, at its time from the stretch's first picture.
struct TimedEvent {
  std::int64_t atNs = 0;
  int channel = 0;
};

// The player's frame (its position in frame units) at the start of a
// picture.
std::int32_t PanelFrame(const PictureTable& table, std::int64_t picture, float frameTime) {
  const double time100ns = static_cast<double>(table.StartNs(picture)) / 100.0;
  return static_cast<std::int32_t>(time100ns / (static_cast<double>(frameTime) * 10000.0));
}

InfoValues PanelValues(const SensorTrack& track, std::int32_t frame, std::int64_t timeOffset) {
  InfoValues info;
  info.frame = frame;
  info.frameTime = track.frameTime;
  info.timeOffset = timeOffset;
  if (!track.positions.empty() && track.positions.front().time != CalendarTime{}) {
    info.startTime = track.positions.front().time;
    info.hasStart = 1;
  }
  const auto at = static_cast<std::size_t>(frame);
  const AccelRecord* record = at < track.frameIndex.size() ? track.frameIndex[at] : nullptr;
  if (record == nullptr) return info;
  info.accelX = record->x;
  info.accelY = record->y;
  info.accelZ = record->z;
  info.eventWord = record->event;
  if (record->position != nullptr) {
    info.fixValid = record->position->valid;
    info.speed = record->position->valid != 0 ? record->position->speed : -1.0;
  }
  return info;
}

}  // namespace

bool PlanOverlay(const ClipStretch& stretch, std::int64_t timeOffsetSeconds, SpeedUnit speedUnit,
                 OverlayPlan& plan, std::string& why) {
  plan = {};
  std::vector<TimedEvent> events;
  std::vector<std::int64_t> shownNs;  // each picture's start, from the stretch's start
  std::int64_t pieceStartNs = 0;      // the piece's first picture, from the stretch's start
  for (const ClipPiece& piece : stretch.pieces) {
    const std::string name = piece.recording.filename().string();
    const std::unique_ptr<MovieFile> movie = MovieFile::Open(piece.recording, false, &why);
    const std::optional<PictureTable> table = movie ? ReadPictureTable(*movie) : std::nullopt;
    SensorTrack track;
    const std::optional<float> frameTime = track.FrameRateScan(piece.recording);
    if (!table || !frameTime || !track.Load(piece.recording)) {
      why = name + ": " + (why.empty() ? "the recording cannot be read" : why);
      return false;
    }
    track.frameTime = *frameTime;
    const std::int32_t lastFrame = PanelFrame(*table, table->count - 1, *frameTime);
    if (track.count > 0 && !track.MapFrames(std::int64_t{lastFrame} + 1)) {
      why = name + ": the sensor track does not fit the pictures";
      return false;
    }
    const std::int64_t firstNs = table->StartNs(piece.first);
    for (std::int64_t p = piece.first; p <= piece.last; ++p) {
      OverlayPicture picture;
      picture.info = PanelValues(track, PanelFrame(*table, p, *frameTime), timeOffsetSeconds);
      picture.info.speedUnit = speedUnit;
      const auto frame = static_cast<std::size_t>(picture.info.frame);
      const AccelRecord* record =
          frame < track.frameIndex.size() ? track.frameIndex[frame] : nullptr;
      if (record != nullptr && record->position != nullptr && record->position->valid != 0) {
        picture.hasPosition = true;
        picture.latitude = record->position->latitude;
        picture.longitude = record->position->longitude;
      }
      plan.pictures.push_back(std::move(picture));
      shownNs.push_back(pieceStartNs + table->StartNs(p) - firstNs);
    }
    // The route: the fixed positions of the records the pictures show.
    const auto recordAt = [&](std::int64_t p) {
      return static_cast<std::size_t>(table->StartNs(p) / 1'000'000 / kRecordIntervalMs);
    };
    for (std::size_t r = recordAt(piece.first);
         r <= recordAt(piece.last) && r < track.positions.size(); ++r) {
      const PositionRecord& position = track.positions[r];
      if (position.valid != 0) plan.route.push_back({position.latitude, position.longitude});
    }
    FileEntry entry;
    entry.path = piece.recording;
    entry.name = name;
    for (const SourceEvent& e : RecordingEventsOf(entry, {}).events) {
      events.push_back({pieceStartNs + e.offsetMs * 1'000'000 - firstNs, e.channel});
    }
    pieceStartNs += table->StartNs(piece.last + 1) - firstNs;
  }
  // Each picture names the latest event that began at most two seconds
  // before it.
  std::stable_sort(events.begin(), events.end(),
                   [](const TimedEvent& a, const TimedEvent& b) { return a.atNs < b.atNs; });
  std::size_t next = 0;
  std::optional<TimedEvent> latest;
  for (std::size_t k = 0; k < plan.pictures.size(); ++k) {
    while (next < events.size() && events[next].atNs <= shownNs[k]) latest = events[next++];
    if (latest && shownNs[k] < latest->atNs + kEventShownMs * 1'000'000) {
      plan.pictures[k].event = EventChannelText(latest->channel).toStdString();
    }
  }
  return true;
}
