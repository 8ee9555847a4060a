#include "container/event_marks.h"

#include <functional>

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

// The steps of an event list: the frames of a mapped track, or the records
// themselves. A step without a valid record has no mark.
struct Steps {
  std::int64_t count = 0;
  std::function<const AccelRecord*(std::int64_t)> recordAt;
};

const AccelRecord* Checked(const SensorTrack& track, const AccelRecord* r) {
  if (r == nullptr || r->sequence < 0 ||
      static_cast<std::size_t>(r->sequence) >= track.accels.size()) {
    return nullptr;
  }
  return r;
}

Steps FrameSteps(const SensorTrack& track) {
  return {static_cast<std::int64_t>(track.frameIndex.size()), [&track](std::int64_t frame) {
            return Checked(track, track.frameIndex[static_cast<std::size_t>(frame)]);
          }};
}

Steps RecordSteps(const SensorTrack& track) {
  return {static_cast<std::int64_t>(track.accels.size()), [&track](std::int64_t i) {
            return Checked(track, &track.accels[static_cast<std::size_t>(i)]);
          }};
}

const AccelRecord* RecordAt(const Steps& steps, std::int64_t step) {
  return step < 0 || step >= steps.count ? nullptr : steps.recordAt(step);
}

int ClassifyStep(const Steps& steps, int channel, std::int64_t step, bool gMarks) {
  const AccelRecord* r = RecordAt(steps, step);
  return r == nullptr ? kNoMark : ClassifyRecord(channel, *r, gMarks);
}

MarkClass ClassifyNew(const Steps& steps, int channel, std::int64_t step, bool gMarks) {
  MarkClass c;
  c.icon = ClassifyStep(steps, channel, step, gMarks);
  c.isNew = step == 0 || ClassifyStep(steps, channel, step - 1, gMarks) != c.icon;
  return c;
}

bool CollectStep(const Steps& steps, const EventChannelSwitches& switches, bool gMarks,
                 std::vector<EventMark>* list, std::int64_t step, int channel) {
  if (steps.count == 0) return false;
  const MarkClass c = ClassifyNew(steps, channel, step, gMarks);
  if (c.icon == kNoMark) return true;
  if (!switches.at(static_cast<std::size_t>(channel)).sentToMap || !c.isNew) return false;
  const AccelRecord* r = RecordAt(steps, step);
  list->push_back(EventMark{r->sequence, c.icon, channel, r});
  return false;
}

std::vector<EventMark> CollectAll(const Steps& steps, const EventChannelSwitches& switches,
                                  bool gMarks) {
  std::vector<EventMark> list;
  for (std::int64_t step = 0; step < steps.count; ++step) {
    if (switches[kChannelSpeeding].sentToMap) {
      CollectStep(steps, switches, gMarks, &list, step, kChannelSpeeding);
    }
    for (const int channel : kMarkChannelOrder) {
      if (!switches[static_cast<std::size_t>(channel)].sentToMap) continue;
      if (!CollectStep(steps, switches, gMarks, &list, step, channel)) break;
    }
  }
  return list;
}

}  // namespace

MarkClass Classify(const SensorTrack& track, int channel, std::int64_t frame, bool gMarks) {
  return ClassifyNew(FrameSteps(track), channel, frame, gMarks);
}

bool CollectMapMark(const SensorTrack& track, const EventChannelSwitches& switches, bool gMarks,
                    std::vector<EventMark>* list, std::int64_t frame, int channel) {
  return CollectStep(FrameSteps(track), switches, gMarks, list, frame, channel);
}

std::vector<EventMark> CollectEventMarks(const SensorTrack& track,
                                         const EventChannelSwitches& switches, bool gMarks) {
  return CollectAll(FrameSteps(track), switches, gMarks);
}

std::vector<EventMark> CollectRecordMarks(const SensorTrack& track,
                                          const EventChannelSwitches& switches, bool gMarks) {
  return CollectAll(RecordSteps(track), switches, gMarks);
}
