// Playback: the 30 ms tick that keeps the views on the engine's frame, the
// frame-to-record sync, seeking, the play controls, the sliders and the
// volume.
#include <QSignalBlocker>
#include <QThread>
#include <algorithm>

#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/playback_rules.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"

namespace {

constexpr int kVolumeMax = 65535;
// The pause command waits this long after a rate change before pausing.
constexpr unsigned long kPauseSettleMs = 100;

}  // namespace

void CKestrelDlg::OnPlaybackTick() {
  MapUpkeep();
  if (engine_->engineReady == 0) return;
  const int state = engine_->playState;
  if (state == 1 || state == 3) {
    MapTickWhileStill();
    return;
  }
  if (state == 2) {
    const bool nearEnd = NearEndOfMovie();
    if (nearEnd != nearEndShown_) {
      nearEndShown_ = nearEnd;
      EnablePlaybackControls(!nearEnd);
    }
  }
  const std::int32_t position = ops_.GetPosition(engine_.get());
  if (position <= 0) return;
  const std::int64_t count = ops_.GetFrameCount(engine_.get());
  if (SyncAllowed(pendingSyncFrame_, position, count)) {
    SyncViewsToFrame(position);
    pendingSyncFrame_ = -1;
  }
}

void CKestrelDlg::SyncViewsToFrame(int frame) {
  frame = std::max(std::min(frame, seekSlider_->rangeMax() - 1), seekSlider_->rangeMin());
  FrameValues values;
  values.frame = frame;
  if (engine_->engineReady != 0) {
    EngineLock lock(engine_->fileMutex);
    const std::vector<AccelRecord*>& index = engine_->currentReader.frameIndex;
    if (frame >= 0 && frame < static_cast<int>(index.size()) && index[frame] != nullptr) {
      const AccelRecord& accel = *index[frame];
      if (accel.position != nullptr) {
        values.position = *accel.position;
        values.position->accel = nullptr;
        values.position->vehicle = nullptr;
      }
      if (accel.vehicle != nullptr) values.vehicle = *accel.vehicle;
      values.accel = accel;
      values.accel->position = nullptr;
      values.accel->vehicle = nullptr;
    }
  }
  pendingSyncFrame_ = frame;
  for (FrameView* view : frameViews_) view->ShowFrame(values);
  if (!fullScreen_) infoDlg_->repaint();
  seekSlider_->SetPos(frame);
}

void CKestrelDlg::SeekTo(int frame) {
  if (engine_->engineReady == 0) return;
  const int state = engine_->playState;
  const SeekFrames f = SeekFramesFor(frame, ops_.GetFrameCount(engine_.get()), engine_->rateCode,
                                     seekSlider_->rangeMin());
  const int view = static_cast<int>(f.view);
  if (state == 1 || state == 3) {
    ops_.SeekToFrameAlt(engine_.get(), f.target);
    SyncViewsToFrame(view);
  } else if (state == 2) {
    ops_.Pause(engine_.get());
    ops_.SeekToFrame(engine_.get(), f.target);
    SyncViewsToFrame(view);
    ops_.Play(engine_.get());
  }
}

bool CKestrelDlg::NearEndOfMovie() {
  const int state = engine_->engineReady != 0 ? engine_->playState.load() : 0;
  if (state == 1 || state == 3) return false;
  const std::int64_t position = engine_->engineReady != 0 ? ops_.GetPosition(engine_.get()) : 0;
  return NearEnd(state, position, ops_.GetFrameCount(engine_.get()), engine_->rateCode);
}

bool CKestrelDlg::UpdateRateLabel() {
  const int slot = RateLabelSlot(engine_->engineReady != 0 ? engine_->rateCode : 0);
  rateLabel_->setText(slot >= 0 ? UiText(slot) : QString());
  const int state = engine_->playState;
  if (state >= 1 && state <= 3) return ops_.DrawOverlayText(engine_.get(), QString());
  return true;
}

bool CKestrelDlg::PlayCurrent() {
  const int state = engine_->playState;
  if (engine_->engineReady == 0 || state == 0 || state == 2) return false;
  const bool playing = ops_.Play(engine_.get()) != 0;
  PushMapStatus(0);
  return playing;
}

void CKestrelDlg::PauseCurrent() {
  if (engine_->engineReady == 0 || engine_->playState != 2) return;
  ops_.Pause(engine_.get());
  SetPlayButtonLook(false);
  PushMapStatus(1);
}

void CKestrelDlg::StopCurrent() {
  const int state = engine_->playState;
  if (engine_->engineReady == 0 || (state != 2 && state != 3)) return;
  std::lock_guard lock(*mutexCache_);
  ops_.Stop(engine_.get());
  if (!atEndOfMovie_) SetPlayButtonLook(false);
  PushMapStatus(2);
}

void CKestrelDlg::OnPlayPause() {
  mapPageReady_ = true;
  if (!openComplete_) return;
  if (engine_->playState == 2) {
    if (NearEndOfMovie()) return;
    if (engine_->rateCode != 1) ops_.SetRate(engine_.get(), 1);
    QThread::msleep(kPauseSettleMs);
    PauseCurrent();
    UpdateRateLabel();
    if (!fullScreen_) infoDlg_->repaint();
    SetPlayButtonLook(engine_->playState == 2);
    ops_.SeekToFrame(engine_.get(), ops_.GetPosition(engine_.get()));
    UpdateButtons();
    return;
  }
  ops_.SetVolume(engine_.get(), volumeLevel_);
  if (!PlayCurrent()) playAfterOpen_ = true;
  SetPlayButtonLook(engine_->playState == 2);
  UpdateRateLabel();
  UpdateButtons();
}

void CKestrelDlg::CloseRecording() {
  gSensorDlg_->SetCursorShown(false);
  seekSlider_->SetRangeMin(0);
  seekSlider_->SetRangeMax(0);
  tick_.stop();
  UpdateRateLabel();
  ops_.ReleaseTrack(engine_.get());
  ops_.CloseMovie(engine_.get());
  engine_->trackLoaded = 0;
  JoinWorkers();
  openComplete_ = false;
  mapPositionSet_ = false;
  nothingShown_ = true;
  video_->update();
  {
    std::lock_guard lock(*mutexCpSet_);
    eventList_.clear();
  }
  gSensorDlg_->Reset();
  infoDlg_->Reset();
  engine::ClearTrackCache(engine_.get());
  {
    std::lock_guard lock(*mutexCache_);
    currentIndex_ = -1;
  }
  fileList_->SetHighlightedRow(-1);
  {
    // With no current recording, a click on the row that was open opens it again.
    const QSignalBlocker quiet(fileList_);
    fileList_->clearSelection();
  }
  readyToOpen_ = true;
  ApplyWindowMode();
}

void CKestrelDlg::SetVolumeLevel(int level) {
  volumeLevel_ = std::clamp(level, 0, kVolumeMax);
  WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("VOLUME"),
                 QString::asprintf("%d", volumeLevel_));
  ops_.SetVolume(engine_.get(), volumeLevel_);
  volumeSlider_->SetPos(volumeLevel_);
}

void CKestrelDlg::OnSliderMessage(int message, int id, int position) {
  if (id == kVolumeSliderId) {
    if (!busy_ && message != CSkinSliderCtrl::kMessagePress) SetVolumeLevel(position);
    return;
  }
  if (id != kSeekSliderId || busy_ || !openComplete_) return;
  // A press away from the thumb puts the movie there at once; a drag that
  // starts on the thumb moves only the views until the release.
  const bool clickToPosition = seekSlider_->pressedOutsideThumb();
  switch (message) {
    case CSkinSliderCtrl::kMessagePress:
      stateAtSliderPress_ = engine_->engineReady != 0 ? engine_->playState.load() : 0;
      if (stateAtSliderPress_ != 3) ops_.Pause(engine_.get());
      if (clickToPosition) {
        SeekTo(position);
        if (stateAtSliderPress_ == 2) ops_.Play(engine_.get());
      }
      break;
    case CSkinSliderCtrl::kMessageDrag:
      if (!clickToPosition) SyncViewsToFrame(position);
      break;
    case CSkinSliderCtrl::kMessageRelease:
      if (!clickToPosition) {
        SeekTo(position);
        if (stateAtSliderPress_ == 2) ops_.Play(engine_.get());
      }
      break;
    default:
      break;
  }
}

void CKestrelDlg::OnAxisToggle(int channel, int state) {
  if (channel < 0 || channel > 2) return;
  channelSwitches_[channel].shownOnGraph = state != 0;
  channelSwitches_[channel].sentToMap = state != 0;
  UpdateGraphState();
  update();
  if (IndexValid()) BuildEventMarks(currentIndex_);
}
