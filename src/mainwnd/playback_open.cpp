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

bool CKestrelDlg::IndexValid() const {
  return currentIndex_ >= 0 && currentIndex_ < fileList_->entryCount();
}

QString CKestrelDlg::EntryPath(int index) const {
  std::lock_guard lock(*mutexCache_);
  if (index < 0 || index >= fileList_->entryCount()) return {};
  return PathText(fileList_->entries()[index].path);
}

void CKestrelDlg::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void CKestrelDlg::OnListRowSelected(int row) {
  const bool userClick = fileList_->pressed();
  fileList_->ClearPressed();
  if (row == currentIndex_) return;
  {
    std::lock_guard lock(*mutexCache_);
    currentIndex_ = row;
  }
  SelectRecording(true, userClick);
}

bool CKestrelDlg::SelectRecording(bool resetSlider, bool fromUserClick) {
  if (!IndexValid()) return false;
  fileList_->SetHighlightedRow(currentIndex_);
  StopCurrent();
  openComplete_ = false;
  nothingShown_ = true;
  if (resetSlider) {
    seekSlider_->SetPos(0);
    gSensorDlg_->SetCursorFrame(0);
    gSensorDlg_->Reset();
  }
  infoDlg_->Reset();
  if (!atEndOfMovie_) UpdateButtons();
  openDelay_.stop();
  if (busy_) {
    openWatchdog_.stop();
    SetBusy(false);
  }
  if (readyToOpen_) {
    SetBusy(true);
    EnableControls(false);
    openWatchdog_.start();
    openDelay_.start();
  }
  if (fromUserClick && engine_->rateCode != 1 && !continuousPlay_) ops_.SetRate(engine_.get(), 1);
  return true;
}

void CKestrelDlg::OpenSelected() {
  openDelay_.stop();
  if (!readyToOpen_) return;
  readyToOpen_ = false;
  openComplete_ = false;
  tick_.stop();
  pendingSyncFrame_ = -1;
  seekSlider_->ReleaseCapture();
  ops_.ReleaseTrack(engine_.get());
  ops_.CloseMovie(engine_.get());
  engine_->trackLoaded = 0;
  video_->update();
  EnableControls(false);

  {
    std::lock_guard lock(*mutexCpSet_);
    eventList_.clear();
  }
  gSensorDlg_->Reset();
  const int index = currentIndex_;
  const QString path = EntryPath(index);
  ++openSerial_;
  emit openingRecording(index);
  const bool opened = !path.isEmpty() && ops_.OpenMovie(engine_.get(), path);
  // An end of the closed movie still on its way would advance past the one
  // just opened.
  QCoreApplication::removePostedEvents(video_, WM_MEDIA_ENDED);
  if (opened) {
    {
      std::lock_guard lock(*mutexCache_);
      const int trigger = IndexValid() ? fileList_->entries()[currentIndex_].triggerInitial : 0;
      gMarks_ = trigger != 'A' && trigger != 'P';
    }
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    SetBusy(true);
    return;
  }
  OnMediaOpenFailed();
}

void CKestrelDlg::OnMediaOpenFailed() {
  ShowErrorBox(this, UiText(kOpenFailedText));
  SetZoomMode(false);
  update();
  fileList_->openMode = 0;
  openWatchdog_.stop();
  SetBusy(false);
  continuousPlay_ = false;
  EnableControls(true);
  readyToOpen_ = true;
}

void CKestrelDlg::OnOpenWatchdog() {
  openWatchdog_.stop();
  SetBusy(false);
  continuousPlay_ = false;
  EnableControls(true);
  readyToOpen_ = true;
}

void CKestrelDlg::OnMediaOpened(std::intptr_t, std::intptr_t) {
  openDelay_.stop();
  readyToOpen_ = true;
  if (IndexValid()) {
    infoDlg_->SetFrameCount(ops_.GetFrameCountAlt(engine_.get()));
    UpdateRateLabel();
    ApplyZoomView(1);
  }
  emit recordingOpened(currentIndex_);
  const int mode = fileList_->openMode;
  fileList_->openMode = 0;
  if (mode == 0) {
    StartTrackLoader();
    return;
  }
  // The end-of-movie advance opens at once: the prefetcher has read the
  // track ahead.
  if (openComplete_) {
    PlayCurrent();
  } else {
    openComplete_ = true;
    if (!ops_.LoadTrack(engine_.get(), EntryPath(currentIndex_))) {
      playAfterOpen_ = true;
      return;
    }
    engine_->trackLoaded = 1;
    ops_.SetVolume(engine_.get(), volumeLevel_);
    ops_.SetRate(engine_.get(), engine_->rateCode);
    PlayCurrent();
    FinishOpen();
    openWatchdog_.stop();
    SetBusy(false);
    UpdateButtons();
    SetPlayButtonLook(engine_->playState == 2);
  }
  StartPrefetcher();
}

void CKestrelDlg::StartTrackLoader() {
  if (trackLoader_.joinable()) trackLoader_.join();
  trackLoader_ = std::thread([this, serial = openSerial_] {
    QString path;
    {
      std::lock_guard lock(*mutexCache_);
      if (!IndexValid()) return;
      path = PathText(fileList_->entries()[currentIndex_].path);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kLoaderPauseMs));
    const bool preRead = engine::PrefetchTrack(engine_.get(), path);
    PostAppMessage(this, WM_APP_TRACK_LOADED, serial, preRead ? 1 : 0);
  });
}

void CKestrelDlg::StartPrefetcher() {
  if (prefetcher_.joinable()) prefetcher_.join();
  prefetcher_ = std::thread([this] {
    QString path;
    {
      std::lock_guard lock(*mutexCache_);
      const int next = currentIndex_ + 1;
      if (currentIndex_ < 0 || next >= fileList_->entryCount()) return;
      path = PathText(fileList_->entries()[next].path);
    }
    engine::PrefetchTrack(engine_.get(), path);
  });
}

void CKestrelDlg::JoinWorkers() {
  if (trackLoader_.joinable()) trackLoader_.join();
  if (prefetcher_.joinable()) prefetcher_.join();
}

void CKestrelDlg::CompleteOpen(std::intptr_t serial, std::intptr_t preRead) {
  if (openComplete_ || serial != openSerial_) return;
  openComplete_ = true;
  if (busy_) {
    openWatchdog_.stop();
    SetBusy(false);
  }
  UpdateButtons();
  if (!IndexValid()) return;
  if (!ops_.LoadTrack(engine_.get(), EntryPath(currentIndex_))) return;
  engine_->trackLoaded = 1;
  ops_.SetVolume(engine_.get(), volumeLevel_);
  ops_.SetRate(engine_.get(), engine_->rateCode);
  if (playAfterOpen_) {
    playAfterOpen_ = false;
    PlayCurrent();
  } else if (continuousPlay_) {
    continuousPlay_ = false;
    PlayCurrent();
    if (!fullScreen_) SetPlayButtonLook(true);
  } else if (!fullScreen_) {
    SetPlayButtonLook(false);
  }
  UpdateButtons();
  nothingShown_ = false;
  FinishOpen();
  ops_.Repaint(engine_.get());
  if (preRead != 0) StartPrefetcher();
  if (resumeFramePending_) {
    resumeFramePending_ = false;
    ops_.SeekToFrame(engine_.get(), resumeFrame_);
    SyncViewsToFrame(resumeFrame_);
    if (resumeFrame_ != 0) {
      ops_.Pause(engine_.get());
      UpdateButtons();
    }
  }
}

void CKestrelDlg::FinishOpen() {
  if (IndexValid()) {
    int width = 0;
    int height = 0;
    char headerQuality = 0;
    CalendarTime start;
    {
      EngineLock lock(engine_->fileMutex);
      gSensorDlg_->SetScaleIndex(ScaleIndexForPeak(engine_->currentReader.peakG));
      headerQuality = engine_->currentReader.header.quality;
      if (!engine_->currentReader.positions.empty()) {
        start = engine_->currentReader.positions.front().time;
      }
    }
    const int quality =
        ops_.GetVideoSize(engine_.get(), &width, &height) ? QualityCode(height, headerQuality) : 0;
    const float unit = ops_.GetFrameUnit(engine_.get());
    {
      std::lock_guard lock(*mutexCache_);
      FileEntry& entry = fileList_->entries()[currentIndex_];
      entry.quality = quality;
      entry.frameRate = unit > 0 ? 1000.0f / unit : 0.0f;
      entry.startTime = start;
    }
    infoDlg_->SetQuality(quality);
    infoDlg_->SetStartTime(start);
  }
  video_->update();
  infoDlg_->SetFrameTime(ops_.GetFrameUnit(engine_.get()));
  seekSlider_->SetRangeMin(0);
  seekSlider_->SetRangeMax(static_cast<int>(ops_.GetFrameCount(engine_.get())));
  gSensorDlg_->SetFrameCount(seekSlider_->rangeMax());
  gSensorDlg_->SetDataPresent(true);
  gSensorDlg_->SetCursorShown(true);
  marksBuilt_ = BuildEventMarks(currentIndex_);
  UpdateRateLabel();
  infoDlg_->SetFrameCount(ops_.GetFrameCountAlt(engine_.get()));
  SetVolumeLevel(volumeLevel_);
  SyncViewsToFrame(0);
  pendingSyncFrame_ = -1;
  tick_.start();
  SeekToPendingEvent();
}
