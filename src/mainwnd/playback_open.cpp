// The open pipeline: a selection in the list, the open delay that coalesces
// quick selections, the engine's open, the track loader, the completion of
// the open and the read-ahead of the next recording's track.
#include <QApplication>
#include <chrono>

#include "base/app_message.h"
#include "base/error_box.h"
#include "base/path_text.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "container/named_mutex.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "mainwnd/playback_rules.h"
#include "player/engine_messages.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "views/g_sensor_dlg.h"
#include "views/g_sensor_plan.h"
#include "views/info_dlg.h"

namespace {

constexpr int kOpenFailedText = 99;

}  // namespace

PlaybackCoordinator::PlaybackCoordinator(CKestrelDlg& dlg, const PlayerEngineOps& ops,
                                         PlayerEngineState* engine)
    : dlg_(dlg), ops_(ops), engine_(engine), mutexCache_(&NamedMutex("hMutexCache")) {
  tick_.setInterval(kTickMs);
  openDelay_.setSingleShot(true);
  openDelay_.setInterval(kOpenDelayMs);
  openWatchdog_.setSingleShot(true);
  openWatchdog_.setInterval(kOpenWatchdogMs);
  connect(&tick_, &QTimer::timeout, this, &PlaybackCoordinator::OnPlaybackTick);
  connect(&openDelay_, &QTimer::timeout, this, &PlaybackCoordinator::OpenSelected);
  connect(&openWatchdog_, &QTimer::timeout, this, &PlaybackCoordinator::OnOpenWatchdog);
}

PlaybackCoordinator::~PlaybackCoordinator() = default;

void PlaybackCoordinator::SetCurrentIndex(int index) {
  std::lock_guard lock(*mutexCache_);
  currentIndex_ = index;
}

bool PlaybackCoordinator::IndexValid() const {
  return currentIndex_ >= 0 && currentIndex_ < dlg_.fileList()->entryCount();
}

QString PlaybackCoordinator::EntryPath(int index) const {
  std::lock_guard lock(*mutexCache_);
  if (index < 0 || index >= dlg_.fileList()->entryCount()) return {};
  return PathText(dlg_.fileList()->entries()[index].path);
}

void PlaybackCoordinator::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void PlaybackCoordinator::OnListRowSelected(int row) {
  const bool userClick = dlg_.fileList()->pressed();
  dlg_.fileList()->ClearPressed();
  if (row == currentIndex_) return;
  {
    std::lock_guard lock(*mutexCache_);
    currentIndex_ = row;
  }
  SelectRecording(true, userClick);
}

bool PlaybackCoordinator::SelectRecording(bool resetSlider, bool fromUserClick) {
  if (!IndexValid()) return false;
  dlg_.fileList()->SetHighlightedRow(currentIndex_);
  StopCurrent();
  openComplete_ = false;
  nothingShown_ = true;
  dlg_.seekSlider()->SetTicks({});
  if (resetSlider) {
    dlg_.seekSlider()->SetPos(0);
    dlg_.gSensorDlg()->SetCursorFrame(0);
    dlg_.gSensorDlg()->Reset();
  }
  dlg_.infoDlg()->Reset();
  if (!atEndOfMovie_) dlg_.UpdateButtons();
  openDelay_.stop();
  if (busy_) {
    openWatchdog_.stop();
    SetBusy(false);
  }
  if (readyToOpen_) {
    SetBusy(true);
    dlg_.EnableControls(false);
    openWatchdog_.start();
    openDelay_.start();
  }
  if (fromUserClick && engine_->rateCode != 1 && !continuousPlay_) ops_.SetRate(engine_, 1);
  return true;
}

void PlaybackCoordinator::OpenSelected() {
  openDelay_.stop();
  if (!readyToOpen_) return;
  readyToOpen_ = false;
  openComplete_ = false;
  tick_.stop();
  pendingSyncFrame_ = -1;
  dlg_.seekSlider()->ReleaseCapture();
  ops_.ReleaseTrack(engine_);
  ops_.CloseMovie(engine_);
  engine_->trackLoaded = 0;
  dlg_.videoSurface()->update();
  dlg_.EnableControls(false);

  dlg_.mapAndMarks().ClearEventList();
  dlg_.gSensorDlg()->Reset();
  const int index = currentIndex_;
  const QString path = EntryPath(index);
  ++openSerial_;
  emit dlg_.openingRecording(index);
  const bool opened = !path.isEmpty() && ops_.OpenMovie(engine_, path);
  // An end of the closed movie still on its way would advance past the one
  // just opened.
  QCoreApplication::removePostedEvents(dlg_.videoSurface(), WM_MEDIA_ENDED);
  if (opened) {
    {
      std::lock_guard lock(*mutexCache_);
      const int trigger =
          IndexValid() ? dlg_.fileList()->entries()[currentIndex_].triggerInitial : 0;
      gMarks_ = trigger != 'A' && trigger != 'P';
    }
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    SetBusy(true);
    return;
  }
  OnMediaOpenFailed();
}

void PlaybackCoordinator::OnMediaOpenFailed() {
  // A decoder GStreamer lacks is named by a box of its own, once a run.
  if (engine_->missingDecoder.isEmpty()) ShowErrorBox(&dlg_, UiText(kOpenFailedText));
  dlg_.windowModes().SetZoomMode(false);
  dlg_.update();
  dlg_.fileList()->openMode = 0;
  backwardsAfterOpen_ = false;
  openWatchdog_.stop();
  SetBusy(false);
  continuousPlay_ = false;
  dlg_.EnableControls(true);
  readyToOpen_ = true;
}

void PlaybackCoordinator::OnOpenWatchdog() {
  openWatchdog_.stop();
  SetBusy(false);
  continuousPlay_ = false;
  dlg_.EnableControls(true);
  readyToOpen_ = true;
}

void PlaybackCoordinator::OnMediaOpened() {
  openDelay_.stop();
  readyToOpen_ = true;
  if (IndexValid()) {
    dlg_.infoDlg()->SetFrameCount(ops_.GetFrameCountAlt(engine_));
    UpdateRateLabel();
    dlg_.windowModes().ApplyZoomView(1);
  }
  emit dlg_.recordingOpened(currentIndex_);
  const int mode = dlg_.fileList()->openMode;
  dlg_.fileList()->openMode = 0;
  if (mode == 0) {
    StartTrackLoader();
    return;
  }
  // The end-of-movie advance opens at once: the prefetcher has read the
  // track ahead.
  if (openComplete_) {
    if (!backwardsAfterOpen_) PlayCurrent();
  } else {
    openComplete_ = true;
    if (!ops_.LoadTrack(engine_, EntryPath(currentIndex_))) {
      playAfterOpen_ = true;
      return;
    }
    engine_->trackLoaded = 1;
    ops_.SetVolume(engine_, volumeLevel_);
    ops_.SetRate(engine_, engine_->rateCode);
    if (!backwardsAfterOpen_) PlayCurrent();
    FinishOpen();
    openWatchdog_.stop();
    SetBusy(false);
    dlg_.UpdateButtons();
    dlg_.SetPlayButtonLook(engine_->playState == 2);
  }
  if (backwardsAfterOpen_) {
    backwardsAfterOpen_ = false;
    ContinueBackwardsFromEnd();
  }
  StartPrefetcher();
}

void PlaybackCoordinator::StartTrackLoader() {
  if (trackLoader_.joinable()) trackLoader_.join();
  trackLoader_ = std::thread([this, serial = openSerial_] {
    QString path;
    {
      std::lock_guard lock(*mutexCache_);
      if (!IndexValid()) return;
      path = PathText(dlg_.fileList()->entries()[currentIndex_].path);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kLoaderPauseMs));
    const bool preRead = engine::PrefetchTrack(engine_, path);
    PostAppMessage(&dlg_, WM_APP_TRACK_LOADED, serial, preRead ? 1 : 0);
  });
}

void PlaybackCoordinator::StartPrefetcher() {
  if (prefetcher_.joinable()) prefetcher_.join();
  prefetcher_ = std::thread([this] {
    QString path;
    {
      std::lock_guard lock(*mutexCache_);
      const int next = currentIndex_ >= 0 ? dlg_.fileList()->PlayableRow(currentIndex_ + 1, 1) : -1;
      if (next < 0) return;
      path = PathText(dlg_.fileList()->entries()[next].path);
    }
    engine::PrefetchTrack(engine_, path);
  });
}

void PlaybackCoordinator::JoinWorkers() {
  if (trackLoader_.joinable()) trackLoader_.join();
  if (prefetcher_.joinable()) prefetcher_.join();
}

void PlaybackCoordinator::EndWait() {
  if (busy_) {
    openWatchdog_.stop();
    SetBusy(false);
  }
}

void PlaybackCoordinator::CompleteOpen(std::intptr_t serial, std::intptr_t preRead) {
  if (openComplete_ || serial != openSerial_) return;
  openComplete_ = true;
  if (busy_) {
    openWatchdog_.stop();
    SetBusy(false);
  }
  dlg_.UpdateButtons();
  if (!IndexValid()) return;
  if (!ops_.LoadTrack(engine_, EntryPath(currentIndex_))) return;
  engine_->trackLoaded = 1;
  ops_.SetVolume(engine_, volumeLevel_);
  ops_.SetRate(engine_, engine_->rateCode);
  if (playAfterOpen_) {
    playAfterOpen_ = false;
    PlayCurrent();
  } else if (continuousPlay_) {
    continuousPlay_ = false;
    PlayCurrent();
    if (!dlg_.windowModes().fullScreen()) dlg_.SetPlayButtonLook(true);
  } else if (!dlg_.windowModes().fullScreen()) {
    dlg_.SetPlayButtonLook(false);
  }
  dlg_.UpdateButtons();
  nothingShown_ = false;
  FinishOpen();
  ops_.Repaint(engine_);
  if (preRead != 0) StartPrefetcher();
  if (resumeFramePending_) {
    resumeFramePending_ = false;
    ops_.SeekToFrame(engine_, resumeFrame_);
    SyncViewsToFrame(resumeFrame_);
    if (resumeFrame_ != 0) {
      ops_.Pause(engine_);
      dlg_.UpdateButtons();
    }
  }
}

void PlaybackCoordinator::FinishOpen() {
  if (IndexValid()) {
    int width = 0;
    int height = 0;
    char headerQuality = 0;
    CalendarTime start;
    {
      EngineLock lock(engine_->fileMutex);
      dlg_.gSensorDlg()->SetScaleIndex(ScaleIndexForPeak(engine_->currentReader.peakG));
      headerQuality = engine_->currentReader.header.quality;
      if (!engine_->currentReader.positions.empty()) {
        start = engine_->currentReader.positions.front().time;
      }
    }
    const int quality =
        ops_.GetVideoSize(engine_, &width, &height) ? QualityCode(height, headerQuality) : 0;
    const float unit = ops_.GetFrameUnit(engine_);
    {
      std::lock_guard lock(*mutexCache_);
      FileEntry& entry = dlg_.fileList()->entries()[currentIndex_];
      entry.quality = quality;
      entry.frameRate = unit > 0 ? 1000.0f / unit : 0.0f;
      entry.startTime = start;
    }
    dlg_.infoDlg()->SetQuality(quality);
    dlg_.infoDlg()->SetStartTime(start);
  }
  dlg_.videoSurface()->update();
  dlg_.infoDlg()->SetFrameTime(ops_.GetFrameUnit(engine_));
  dlg_.seekSlider()->SetRangeMin(0);
  dlg_.seekSlider()->SetRangeMax(static_cast<int>(ops_.GetFrameCount(engine_)));
  dlg_.gSensorDlg()->SetFrameCount(dlg_.seekSlider()->rangeMax());
  dlg_.gSensorDlg()->SetDataPresent(true);
  dlg_.gSensorDlg()->SetCursorShown(true);
  dlg_.mapAndMarks().RebuildMarksOfOpen(currentIndex_);
  UpdateRateLabel();
  dlg_.infoDlg()->SetFrameCount(ops_.GetFrameCountAlt(engine_));
  SetVolumeLevel(volumeLevel_);
  SyncViewsToFrame(0);
  pendingSyncFrame_ = -1;
  tick_.start();
  dlg_.mapAndMarks().SeekToPendingEvent();
}
