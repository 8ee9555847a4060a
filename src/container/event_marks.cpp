#include "container/event_marks.h"

#include "container/sensor_track.h"

int ClassifyRecord(int channel, const AccelRecord& r, bool gMarks) {
  switch (channel) {
    case kChannelX:
      return gMarks && r.axis == 1 ? 0 : kNoMark;
    case kChannelY:
      return gMarks && r.axis == 2 ? 2 : kNoMark;
    case kChannelZ:
      return gMarks && r.axis == 3 ? 3 : kNoMark;
    case kChannelUserPoint:
      return r.event == 5 ? 5 : kNoMark;
    case kChannelEmergency:
      return r.event == 6 ? 6 : kNoMark;
    case kChannelParking:
      return gMarks && r.event == 7 ? 7 : kNoMark;
    case kChannelSpeeding:
      return r.flag8 == 8 ? 8 : kNoMark;
    case kChannelDriveAssist:
      return r.event >= 9 && r.event <= 11 ? r.event : kNoMark;
    default:
      return kNoMark;
  }
}

int OwningChannel(int icon) {
  if (icon >= 9 && icon <= 11) return kChannelDriveAssist;
  switch (icon) {
    case 6:
      return kChannelEmergency;
    case 7:
      return kChannelParking;
    case 8:
      return kChannelSpeeding;
    default:
      return kNoMark;
  }
}

namespace {

const AccelRecord* RecordOfFrame(const SensorTrack& track, std::int64_t frame) {
  if (frame < 0 || frame >= static_cast<std::int64_t>(track.frameIndex.size())) return nullptr;
  const AccelRecord* r = track.frameIndex[static_cast<std::size_t>(frame)];
  if (r == nullptr || r->sequence < 0 ||
      static_cast<std::size_t>(r->sequence) >= track.accels.size()) {
    return nullptr;
  }
  return r;
}

int ClassifyFrame(const SensorTrack& track, int channel, std::int64_t frame, bool gMarks) {
  const AccelRecord* r = RecordOfFrame(track, frame);
  return r == nullptr ? kNoMark : ClassifyRecord(channel, *r, gMarks);
}

}  // namespace

MarkClass Classify(const SensorTrack& track, int channel, std::int64_t frame, bool gMarks) {
  MarkClass c;
  c.icon = ClassifyFrame(track, channel, frame, gMarks);
  c.isNew = frame == 0 || ClassifyFrame(track, channel, frame - 1, gMarks) != c.icon;
  return c;
}

bool CollectMapMark(const SensorTrack& track, const EventChannelSwitches& switches, bool gMarks,
                    std::vector<EventMark>* list, std::int64_t frame, int channel) {
  if (track.frameIndex.empty()) return false;
  const MarkClass c = Classify(track, channel, frame, gMarks);
  if (c.icon == kNoMark) return true;
  if (!switches.at(static_cast<std::size_t>(channel)).sentToMap || !c.isNew) return false;
  const AccelRecord* r = RecordOfFrame(track, frame);
  list->push_back(EventMark{r->sequence, c.icon, channel, r});
  return false;
}

std::vector<EventMark> CollectEventMarks(const SensorTrack& track,
                                         const EventChannelSwitches& switches, bool gMarks) {
  std::vector<EventMark> list;
  const auto frames = static_cast<std::int64_t>(track.frameIndex.size());
  for (std::int64_t frame = 0; frame < frames; ++frame) {
    if (switches[kChannelSpeeding].sentToMap) {
      CollectMapMark(track, switches, gMarks, &list, frame, kChannelSpeeding);
    }
    for (const int channel : kMarkChannelOrder) {
      if (!switches[static_cast<std::size_t>(channel)].sentToMap) continue;
      if (!CollectMapMark(track, switches, gMarks, &list, frame, channel)) break;
    }
  }
  return list;
}
