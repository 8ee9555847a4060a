// The playback commands of the control bar and the popup menu: to start,
// previous and next recording, slower and faster.
#include <QSignalBlocker>

#include "browser/file_list_ctrl.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "views/g_sensor_dlg.h"

void PlaybackCoordinator::OnToStart() {
  if (dlg_.commands().commandRunning()) {
    dlg_.commands().FinishCommandWorker();
    return;
  }
  if (!NeedsOpenMovie()) return;
  ops_.SetRate(engine_, 1);
  ops_.SetVolume(engine_, volumeLevel_);
  UpdateRateLabel();
  ops_.SeekToFrameAlt(engine_, 0);
  SyncViewsToFrame(0);
  dlg_.mapAndMarks().PushMapStatus(2);
  StopCurrent();
  dlg_.SetPlayButtonLook(false);
  dlg_.UpdateButtons();
}

void PlaybackCoordinator::OnPrevious() {
  if (!NeedsOpenMovie()) return;
  ops_.Pause(engine_);
  StopCurrent();
  std::lock_guard lock(*mutexCache_);
  if (const int previous = dlg_.fileList()->PlayableRow(currentIndex_ - 1, -1); previous >= 0) {
    dlg_.fileList()->openMode = 2;
    {
      const QSignalBlocker quiet(dlg_.fileList());
      dlg_.fileList()->SelectRow(previous);
    }
    currentIndex_ = previous;
    dlg_.seekSlider()->ReleaseCapture();
    dlg_.gSensorDlg()->Reset();
    dlg_.seekSlider()->SetPos(0);
    SelectRecording(true);
    return;
  }
  ops_.SetRate(engine_, 1);
  StopCurrent();
  ops_.SeekToFrameAlt(engine_, 0);
  dlg_.videoSurface()->update();
  SyncViewsToFrame(0);
}

void PlaybackCoordinator::OnRateStep(bool faster) {
  if (!NeedsOpenMovie()) return;
  const int current = engine_->engineReady != 0 ? engine_->rateCode : 0;
  const int next = engine::NextRateCode(engine_, faster);
  if (next == current) return;
  ops_.SetRate(engine_, next);
  dlg_.UpdateButtons();
  UpdateRateLabel();
}

void PlaybackCoordinator::OnNext() {
  if (!NeedsOpenMovie()) return;
  ops_.Pause(engine_);
  StopCurrent();
  AdvanceToNext();
}
