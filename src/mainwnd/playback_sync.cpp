// Playback: the 30 ms tick that keeps the views on the engine's frame, the
// frame-to-record sync, seeking, the play controls, the sliders, the
// volume, and the close of the movie for a command that works on its file.
#include <QLabel>
#include <QSignalBlocker>
#include <QThread>
#include <algorithm>
#include <cmath>

#include "base/fitted_text.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "catalogue/info_text.h"
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

void PlaybackCoordinator::OnPlaybackTick() {
  dlg_.mapAndMarks().MapUpkeep();
  if (engine_->engineReady == 0) return;
  const int state = engine_->playState;
  if (state == 1 || state == 3) {
    dlg_.mapAndMarks().MapTickWhileStill();
    return;
  }
  if (state == 2) {
    const bool nearEnd = NearEndOfMovie();
    if (nearEnd != nearEndShown_) {
      nearEndShown_ = nearEnd;
      dlg_.EnablePlaybackControls(!nearEnd);
    }
  }
  const std::int32_t position = ops_.GetPosition(engine_);
  if (position <= 0) return;
  const std::int64_t count = ops_.GetFrameCount(engine_);
  if (SyncAllowed(pendingSyncFrame_, position, count)) {
    SyncViewsToFrame(position);
    pendingSyncFrame_ = -1;
  }
}

void PlaybackCoordinator::SyncViewsToFrame(int frame) {
  frame =
      std::max(std::min(frame, dlg_.seekSlider()->rangeMax() - 1), dlg_.seekSlider()->rangeMin());
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
  if (!dlg_.windowModes().fullScreen()) dlg_.infoDlg()->update();
  dlg_.seekSlider()->SetPos(frame);
  ShowPlayTime(frame);
}

void PlaybackCoordinator::ShowPlayTime(int frame) {
  // To the nearest millisecond: frame 30 of a 30-per-second recording is
  // at 0:01, though its frame unit is a little short of 33.333 ms. The
  // length counts whole frames, which end a little short of the last
  // second: it is rounded to the nearest second, as people name it.
  const double frameMs = dlg_.infoDlg()->values().frameTime;
  const std::int64_t elapsed = std::llround(frame * frameMs);
  const std::int64_t total = std::llround(dlg_.seekSlider()->rangeMax() * frameMs / 1000.0) * 1000;
  SetFittedText(dlg_.timeReadout(),
                QString::fromStdString(PlayTimeText(elapsed) + " / " + PlayTimeText(total)));
}

QString PlaybackCoordinator::ClockTipAt(int frame) const {
  if (!openComplete_) return {};
  InfoValues at = dlg_.infoDlg()->values();
  at.frame = std::clamp(frame, dlg_.seekSlider()->rangeMin(),
                        std::max(dlg_.seekSlider()->rangeMax() - 1, dlg_.seekSlider()->rangeMin()));
  const std::optional<std::string> clock = InfoDateTime(at);
  return clock ? QString::fromStdString(*clock) : QString();
}

void PlaybackCoordinator::SeekTo(int frame) {
  if (engine_->engineReady == 0) return;
  const int state = engine_->playState;
  const SeekFrames f = SeekFramesFor(frame, ops_.GetFrameCount(engine_), engine_->rateCode,
                                     dlg_.seekSlider()->rangeMin());
  const int view = static_cast<int>(f.view);
  if (state == 1 || state == 3) {
    ops_.SeekToFrameAlt(engine_, f.target);
    SyncViewsToFrame(view);
  } else if (state == 2) {
    ops_.Pause(engine_);
    ops_.SeekToFrame(engine_, f.target);
    SyncViewsToFrame(view);
    ops_.Play(engine_);
  }
}

bool PlaybackCoordinator::NearEndOfMovie() {
  const int state = engine_->engineReady != 0 ? engine_->playState.load() : 0;
  // Playing backwards the end is behind.
  if (state == 1 || state == 3 || (state == 2 && engine_->direction < 0)) return false;
  const std::int64_t position = engine_->engineReady != 0 ? ops_.GetPosition(engine_) : 0;
  return NearEnd(state, position, ops_.GetFrameCount(engine_), engine_->rateCode);
}

bool PlaybackCoordinator::UpdateRateLabel() {
  const bool ready = engine_->engineReady != 0;
  const int slot = RateLabelSlot(ready ? engine_->rateCode : 0, ready && engine_->direction < 0);
  // The clip's marks in other recordings follow the rate.
  QString text = slot >= 0 ? UiText(slot) : QString();
  if (const QString note = dlg_.clipMarks().Note(); !note.isEmpty()) {
    text = text.isEmpty() ? note : text + u' ' + note;
  }
  SetFittedText(dlg_.rateLabel(), text);
  const int state = engine_->playState;
  if (state >= 1 && state <= 3) return ops_.DrawOverlayText(engine_, QString());
  return true;
}

bool PlaybackCoordinator::PlayCurrent() {
  const int state = engine_->playState;
  if (engine_->engineReady == 0 || state == 0 || state == 2) return false;
  const bool playing = ops_.Play(engine_) != 0;
  dlg_.mapAndMarks().PushMapStatus(0);
  return playing;
}

void PlaybackCoordinator::PauseCurrent() {
  if (engine_->engineReady == 0 || engine_->playState != 2) return;
  ops_.Pause(engine_);
  dlg_.SetPlayButtonLook(false);
  dlg_.mapAndMarks().PushMapStatus(1);
}

void PlaybackCoordinator::StopCurrent() {
  const int state = engine_->playState;
  if (engine_->engineReady == 0 || (state != 2 && state != 3)) return;
  std::lock_guard lock(*mutexCache_);
  ops_.Stop(engine_);
  if (!atEndOfMovie_) dlg_.SetPlayButtonLook(false);
  dlg_.mapAndMarks().PushMapStatus(2);
}

void PlaybackCoordinator::OnPlayPause() {
  dlg_.mapAndMarks().TakePageAsReady();
  if (!openComplete_) return;
  if (engine_->playState == 2) {
    if (NearEndOfMovie()) return;
    if (engine_->rateCode != 1) ops_.SetRate(engine_, 1);
    QThread::msleep(kPauseSettleMs);
    PauseCurrent();
    UpdateRateLabel();
    if (!dlg_.windowModes().fullScreen()) dlg_.infoDlg()->update();
    dlg_.SetPlayButtonLook(engine_->playState == 2);
    ops_.SeekToFrame(engine_, ops_.GetPosition(engine_));
    dlg_.UpdateButtons();
    return;
  }
  ops_.SetVolume(engine_, volumeLevel_);
  if (!PlayCurrent()) playAfterOpen_ = true;
  dlg_.SetPlayButtonLook(engine_->playState == 2);
  UpdateRateLabel();
  dlg_.UpdateButtons();
}

void PlaybackCoordinator::CloseRecording() {
  dlg_.gSensorDlg()->SetCursorShown(false);
  dlg_.seekSlider()->SetRangeMin(0);
  dlg_.seekSlider()->SetRangeMax(0);
  dlg_.timeReadout()->clear();
  tick_.stop();
  UpdateRateLabel();
  ops_.ReleaseTrack(engine_);
  ops_.CloseMovie(engine_);
  engine_->trackLoaded = 0;
  JoinWorkers();
  openComplete_ = false;
  dlg_.mapAndMarks().ForgetMapPosition();
  nothingShown_ = true;
  dlg_.videoSurface()->update();
  dlg_.mapAndMarks().ClearEventList();
  dlg_.gSensorDlg()->Reset();
  dlg_.infoDlg()->Reset();
  engine::ClearTrackCache(engine_);
  {
    std::lock_guard lock(*mutexCache_);
    currentIndex_ = -1;
  }
  dlg_.fileList()->SetHighlightedRow(-1);
  {
    // With no current recording, a click on the row that was open opens it again.
    const QSignalBlocker quiet(dlg_.fileList());
    dlg_.fileList()->clearSelection();
  }
  readyToOpen_ = true;
  dlg_.windowModes().ApplyWindowMode();
}

void PlaybackCoordinator::SetVolumeLevel(int level) {
  volumeLevel_ = std::clamp(level, 0, kVolumeMax);
  WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("VOLUME"),
                 QString::asprintf("%d", volumeLevel_));
  ops_.SetVolume(engine_, volumeLevel_);
  dlg_.volumeSlider()->SetPos(volumeLevel_);
}

void PlaybackCoordinator::OnSliderMessage(int message, int id, int position) {
  if (id == CKestrelDlg::kVolumeSliderId) {
    if (!busy_ && message != CSkinSliderCtrl::kMessagePress) SetVolumeLevel(position);
    return;
  }
  if (id != CKestrelDlg::kSeekSliderId || busy_ || !openComplete_) return;
  // A press away from the thumb puts the movie there at once; a drag that
  // starts on the thumb moves only the views until the release.
  const bool clickToPosition = dlg_.seekSlider()->pressedOutsideThumb();
  switch (message) {
    case CSkinSliderCtrl::kMessagePress:
      stateAtSliderPress_ = engine_->engineReady != 0 ? engine_->playState.load() : 0;
      if (stateAtSliderPress_ != 3) ops_.Pause(engine_);
      if (clickToPosition) {
        SeekTo(position);
        if (stateAtSliderPress_ == 2) ops_.Play(engine_);
      }
      break;
    case CSkinSliderCtrl::kMessageDrag:
      if (!clickToPosition) SyncViewsToFrame(position);
      break;
    case CSkinSliderCtrl::kMessageRelease:
      if (!clickToPosition) {
        SeekTo(position);
        if (stateAtSliderPress_ == 2) ops_.Play(engine_);
      }
      break;
    default:
      break;
  }
}

void PlaybackCoordinator::CloseMovieForWork() {
  tick_.stop();
  openComplete_ = false;
  JoinWorkers();
  ops_.CloseMovie(engine_);
  ops_.ReleaseTrack(engine_);
  engine_->trackLoaded = 0;
}
