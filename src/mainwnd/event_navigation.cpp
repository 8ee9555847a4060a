// Event marks on the main window: previous/next event from the graph's
// cursor, the information panel's axis switches and the settings dialog's
// switches of the four kinds of marks.
#include <array>
#include <optional>

#include "mainwnd/event_walk.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/player_engine.h"
#include "views/g_sensor_dlg.h"

namespace {

// The settings dialog's check boxes 0..3: drive assist, emergency stop,
// parking, speeding.
constexpr std::array<int, 4> kIconKindChannels = {kChannelDriveAssist, kChannelEmergency,
                                                  kChannelParking, kChannelSpeeding};

}  // namespace

void MapAndEventMarks::OnPrevEvent() {
  if (!dlg_.playback().openComplete()) return;
  std::optional<std::int32_t> target;
  {
    std::lock_guard lock(*mutexCpSet_);
    EngineLock engineLock(engine_->fileMutex);
    const std::int64_t count = engine_->engineReady != 0 ? ops_.GetFrameCount(engine_) : 0;
    target =
        PreviousEventFrame(eventList_, channelSwitches_, dlg_.gSensorDlg()->cursorFrame(), count);
  }
  if (target) dlg_.playback().SeekTo(*target);
}

void MapAndEventMarks::OnNextEvent() {
  if (!dlg_.playback().openComplete()) return;
  std::optional<std::int32_t> target;
  {
    std::lock_guard lock(*mutexCpSet_);
    EngineLock engineLock(engine_->fileMutex);
    target = NextEventFrame(eventList_, channelSwitches_, dlg_.gSensorDlg()->cursorFrame());
  }
  if (target) dlg_.playback().SeekTo(*target);
}

void MapAndEventMarks::OnIconKind(int index, int state) {
  if (index < 0 || index >= static_cast<int>(kIconKindChannels.size())) return;
  EventChannelSwitch& channel =
      channelSwitches_[static_cast<std::size_t>(kIconKindChannels[index])];
  channel.shownOnGraph = state != 0;
  channel.sentToMap = state != 0;
  UpdateGraphState();
  dlg_.update();
  if (dlg_.playback().IndexValid()) BuildEventMarks(dlg_.playback().currentIndex());
}

void MapAndEventMarks::OnAxisToggle(int channel, int state) {
  if (channel < 0 || channel > 2) return;
  channelSwitches_[channel].shownOnGraph = state != 0;
  channelSwitches_[channel].sentToMap = state != 0;
  UpdateGraphState();
  dlg_.update();
  if (dlg_.playback().IndexValid()) BuildEventMarks(dlg_.playback().currentIndex());
}
