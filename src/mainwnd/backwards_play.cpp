// Playing backwards: the keys j, k and l, the popup menu's item, and the
// start of a recording, where playing backwards goes on from the end of the
// previous recording of the list.
#include <QSignalBlocker>

#include "browser/file_list_ctrl.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "views/g_sensor_dlg.h"

void PlaybackCoordinator::PlayInDirection(int direction) {
  if (!NeedsOpenMovie()) return;
  if (engine_->rateCode != 1) ops_.SetRate(engine_, 1);
  ops_.SetVolume(engine_, volumeLevel_);
  // A movie that cannot play backwards stays as it is.
  if (!ops_.SetDirection(engine_, direction)) return;
  if (direction > 0) PlayCurrent();
  dlg_.mapAndMarks().PushMapStatus(0);
  dlg_.SetPlayButtonLook(engine_->playState == 2);
  UpdateRateLabel();
  dlg_.UpdateButtons();
}

void PlaybackCoordinator::OnBackwardsKey() {
  if (engine_->playState == 2 && engine_->direction < 0) {
    OnRateStep(true);
    return;
  }
  PlayInDirection(-1);
}

void PlaybackCoordinator::OnForwardsKey() {
  if (engine_->playState == 2 && engine_->direction > 0) {
    OnRateStep(true);
    return;
  }
  PlayInDirection(1);
}

void PlaybackCoordinator::OnPauseKey() {
  if (engine_->engineReady != 0 && engine_->playState == 2) OnPlayPause();
}

void PlaybackCoordinator::OnBackwardsCommand() {
  const bool backwards = engine_->playState == 2 && engine_->direction < 0;
  PlayInDirection(backwards ? 1 : -1);
}

void PlaybackCoordinator::OnReverseStopped(bool failed) {
  if (engine_->engineReady == 0 || engine_->direction > 0 || engine_->playState != 2) return;
  if (!failed) {
    std::lock_guard lock(*mutexCache_);
    if (const int previous = dlg_.fileList()->PlayableRow(currentIndex_ - 1, -1); previous >= 0) {
      ops_.Pause(engine_);
      dlg_.fileList()->openMode = 2;
      {
        const QSignalBlocker quiet(dlg_.fileList());
        dlg_.fileList()->SelectRow(previous);
      }
      currentIndex_ = previous;
      backwardsAfterOpen_ = true;
      dlg_.seekSlider()->ReleaseCapture();
      dlg_.gSensorDlg()->Reset();
      SelectRecording(true);
      return;
    }
  }
  // Paused there at normal speed, as the end of the last recording stops.
  ops_.Pause(engine_);
  ops_.SetDirection(engine_, 1);
  if (engine_->rateCode != 1) ops_.SetRate(engine_, 1);
  SyncViewsToFrame(ops_.GetPosition(engine_));
  dlg_.SetPlayButtonLook(false);
  dlg_.mapAndMarks().PushMapStatus(1);
  UpdateRateLabel();
  dlg_.UpdateButtons();
}

void PlaybackCoordinator::ContinueBackwardsFromEnd() {
  const int last = static_cast<int>(ops_.GetFrameCount(engine_)) - 1;
  ops_.SeekToFrameAlt(engine_, last);
  SyncViewsToFrame(last);
  if (!ops_.SetDirection(engine_, -1)) PlayCurrent();
  dlg_.SetPlayButtonLook(engine_->playState == 2);
  dlg_.mapAndMarks().PushMapStatus(0);
  UpdateRateLabel();
  dlg_.UpdateButtons();
}
