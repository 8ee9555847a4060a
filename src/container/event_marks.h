#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "container/sensor_records.h"

class SensorTrack;

// The recorder's event marks. Eight channels, in this order, each decide
// from one acceleration record whether it carries a mark and with which
// icon. The G-sensor graph's marks, the map's pins, previous/next event and
// the event list of a card all ask these functions, so an event mark means
// the same everywhere.
enum EventChannel : int {
  kChannelX = 0,            // impact on the X axis, icon 0
  kChannelY = 1,            // impact on the Y axis, icon 2
  kChannelZ = 2,            // impact on the Z axis, icon 3
  kChannelUserPoint = 3,    // the user's manual point, icon 5
  kChannelEmergency = 4,    // emergency stop, icon 6
  kChannelParking = 5,      // parking impact, icon 7
  kChannelSpeeding = 6,     // speeding, icon 8
  kChannelDriveAssist = 7,  // drive-assist warnings, icons 9, 10, 11
};
inline constexpr int kEventChannelCount = 8;
// The channels' names where users and scripts choose them.
inline constexpr std::array<std::string_view, 8> kEventChannelNames = {
    "impact-x",       "impact-y", "impact-z", "user-point",
    "emergency-stop", "parking",  "speeding", "drive-assist"};
inline constexpr int kNoMark = -1;
inline constexpr int kIconCount = 12;

// Whether a channel's marks are drawn on the graph and sent to the map. The
// viewer sets both together; both start on.
struct EventChannelSwitch {
  bool shownOnGraph = true;
  bool sentToMap = true;
};
using EventChannelSwitches = std::array<EventChannelSwitch, kEventChannelCount>;

// The order in which a frame's channels are asked. Speeding is asked
// before these and never ends a frame (its band goes with any other mark);
// of these, the first that classifies ends the frame.
inline constexpr std::array<int, kEventChannelCount - 1> kMarkChannelOrder = {0, 1, 2, 3, 4, 5, 7};

// The icon of `channel`'s mark on the record, or kNoMark. `gMarks` is the
// recording's G-marks switch (off for the triggers A and P): the axis
// impacts and the parking impact count only while it is on.
int ClassifyRecord(int channel, const AccelRecord& record, bool gMarks);

// The channel whose switch must be on for a mark with this icon to be
// drawn: 6 -> 4, 7 -> 5, 8 -> 6, 9..11 -> 7; kNoMark for the other icons.
int OwningChannel(int icon);

struct MarkClass {
  int icon = kNoMark;
  bool isNew = false;  // frame 0, or frame - 1 classifies otherwise
};

// Classifies the record that the frame's frameIndex entry points to. A
// frame outside frameIndex, or whose record's sequence is not below the
// number of acceleration records, has no mark.
MarkClass Classify(const SensorTrack& track, int channel, std::int64_t frame, bool gMarks);

// One event mark: where a run of records with the same mark starts.
struct EventMark {
  std::int32_t sequence = 0;  // of the acceleration record
  int icon = kNoMark;
  int channel = 0;
  const AccelRecord* record = nullptr;
};

// Adds frame's mark of `channel` to `list` when the channel classifies the
// frame, its sent-to-map switch is on and the mark is new. Returns true
// when the channel does not classify the frame (the caller asks the next
// channel), false otherwise, and false when the track has no frames.
bool CollectMapMark(const SensorTrack& track, const EventChannelSwitches& switches, bool gMarks,
                    std::vector<EventMark>* list, std::int64_t frame, int channel);

// The event list of a track: every frame from 0 asks the speeding channel,
// then the others in kMarkChannelOrder until one classifies, each only
// while its sent-to-map switch is on.
std::vector<EventMark> CollectEventMarks(const SensorTrack& track,
                                         const EventChannelSwitches& switches, bool gMarks);

// The same list with one step per record instead of per frame, for a
// recording that is not open in the player (no frame index): the marks are
// those of the frames, found at the records that carry them.
std::vector<EventMark> CollectRecordMarks(const SensorTrack& track,
                                          const EventChannelSwitches& switches, bool gMarks);
