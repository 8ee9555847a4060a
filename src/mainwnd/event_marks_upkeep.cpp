// The event list of the open recording, rebuilt whenever its track is
// loaded or a switch of the marks changes.
#include "mainwnd/kestrel_dlg.h"
#include "player/player_engine.h"
#include "views/g_sensor_dlg.h"

void MapAndEventMarks::UpdateGraphState() {
  dlg_.gSensorDlg()->SetSwitches(channelSwitches_);
  dlg_.gSensorDlg()->SetGMarks(dlg_.playback().gMarks());
  dlg_.gSensorDlg()->SetTrack(&engine_->currentReader, engine_->fileMutex);
  dlg_.gSensorDlg()->update();
}

void MapAndEventMarks::ClearEventList() {
  std::lock_guard lock(*mutexCpSet_);
  eventList_.clear();
}

bool MapAndEventMarks::BuildEventMarks(int index) {
  std::lock_guard lock(*mutexCpSet_);
  eventList_.clear();
  UpdateGraphState();
  if (engine_->engineReady != 0) {
    EngineLock engineLock(engine_->fileMutex);
    if (!engine_->currentReader.frameIndex.empty()) {
      eventList_ =
          CollectEventMarks(engine_->currentReader, channelSwitches_, dlg_.playback().gMarks());
    }
  }
  // The list is there for previous/next event with or without a map; the
  // map's route and pins follow once its page is ready.
  return SendEventMarksToMap(index);
}
