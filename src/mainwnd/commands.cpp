// The commands of the control bar, the title buttons and the popup menu that
// drive playback and the window: to start, previous and next, slower and
// faster, zoom mode, the source, settings and the meters.
#include <QSignalBlocker>

#include "base/settings_file.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "browser/source_open_dlg.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "map/google_map_dlg_wrap.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"
#include "views/setting_dlg.h"

void CKestrelDlg::OnCommand(int command) {
  switch (command) {
    case kCmdToStart:
      OnToStart();
      break;
    case kCmdPrevious:
      OnPrevious();
      break;
    case kCmdPlayPause:
      OnPlayPause();
      break;
    case kCmdSlower:
      OnRateStep(false);
      break;
    case kCmdFaster:
      OnRateStep(true);
      break;
    case kCmdNext:
      OnNext();
      break;
    case kCmdSnapshot:
      OnSnapshot();
      break;
    case kCmdJoin:
      OnJoin();
      break;
    case kCmdZoom:
      OnZoomMode();
      break;
    case kCmdSource:
      OnChooseSource();
      break;
    case kCmdDelete:
      OnDelete();
      break;
    case kCmdSettings:
      settingDlg_->show();
      settingDlg_->raise();
      break;
    case kCmdCsv:
      OnCsvExport();
      break;
    case kCmdObdMeters:
      ShowObdMeters();
      break;
    case kCmdEventList:
      OpenEventList();
      break;
    case kCmdGpxExport:
      OnGpxExport();
      break;
    case kCmdFullScreenAspect:
      OnFullScreenAspect();
      break;
    case kCmdStepForward:
      StepPictureBy(1);
      break;
    case kCmdStepBack:
      StepPictureBy(-1);
      break;
    case kCmdKeyHelp:
      ShowKeyHelp();
      break;
    case kCmdClose:
      close();
      break;
    case kCmdMinimise:
      showMinimized();
      break;
    case kCmdWindowSize:
      OnWindowSize();
      break;
    default:
      break;
  }
}

bool CKestrelDlg::NeedsOpenMovie() { return openComplete_ && !NearEndOfMovie(); }

void CKestrelDlg::OnToStart() {
  if (commandRunning_) {
    FinishCommandWorker();
    return;
  }
  if (!NeedsOpenMovie()) return;
  ops_.SetRate(engine_.get(), 1);
  ops_.SetVolume(engine_.get(), volumeLevel_);
  UpdateRateLabel();
  ops_.SeekToFrameAlt(engine_.get(), 0);
  SyncViewsToFrame(0);
  PushMapStatus(2);
  StopCurrent();
  SetPlayButtonLook(false);
  UpdateButtons();
}

void CKestrelDlg::OnPrevious() {
  if (!NeedsOpenMovie()) return;
  ops_.Pause(engine_.get());
  StopCurrent();
  std::lock_guard lock(*mutexCache_);
  if (currentIndex_ > 0) {
    fileList_->openMode = 2;
    {
      const QSignalBlocker quiet(fileList_);
      fileList_->SelectRow(currentIndex_ - 1);
    }
    --currentIndex_;
    seekSlider_->ReleaseCapture();
    gSensorDlg_->Reset();
    seekSlider_->SetPos(0);
    SelectRecording(true);
    return;
  }
  ops_.SetRate(engine_.get(), 1);
  StopCurrent();
  ops_.SeekToFrameAlt(engine_.get(), 0);
  video_->update();
  SyncViewsToFrame(0);
}

void CKestrelDlg::OnRateStep(bool faster) {
  if (!NeedsOpenMovie()) return;
  const int current = engine_->engineReady != 0 ? engine_->rateCode : 0;
  const int next = engine::NextRateCode(engine_.get(), faster);
  if (next == current) return;
  ops_.SetRate(engine_.get(), next);
  UpdateButtons();
  UpdateRateLabel();
}

void CKestrelDlg::OnNext() {
  if (!NeedsOpenMovie()) return;
  ops_.Pause(engine_.get());
  StopCurrent();
  AdvanceToNext();
}

void CKestrelDlg::OnZoomMode() {
  if (!NeedsOpenMovie()) return;
  SetZoomMode(!zoomMode_);
}

void CKestrelDlg::ResetToEmptyView() {
  ops_.SetRate(engine_.get(), 1);
  CloseRecording();
  SetPlayButtonLook(false);
  {
    std::lock_guard lock(*mutexCache_);
    currentIndex_ = -1;
  }
  UpdateRateLabel();
}

void CKestrelDlg::OnChooseSource() {
  if (engine_->engineReady != 0 && engine_->playState != 3) ops_.Pause(engine_.get());
  StopCurrent();
  SetZoomMode(false);
  csvExportAvailable_ = false;
  openDelay_.stop();
  ResetToEmptyView();
  fileList_->openMode = 0;
  // The list is made anew and its first recording opens, so that a cancel
  // leaves a recording to play.
  filer_->Relist();
  if (fileList_->entryCount() > 0) {
    {
      std::lock_guard lock(*mutexCache_);
      currentIndex_ = 0;
    }
    SelectRecording(true);
  }
  CSourceOpenDlg dialog(this);
  if (dialog.exec() == QDialog::Accepted) {
    const BrowserSource choice = dialog.choice();
    ListSource(choice.kind, choice.path);
    return;
  }
  UpdateButtons();
}

bool CKestrelDlg::ListSource(SourceKind kind, const QString& path) {
  SetZoomMode(false);
  const bool listed = filer_->ApplySource(kind, path);
  SetListedSourceCsv();
  UpdateButtons();
  return listed;
}

void CKestrelDlg::OnFullScreenAspect() {
  if (!openComplete_) return;
  if (engine_->engineReady == 0 || engine_->aspectMode == 0) {
    keepAspect_ = true;
    ops_.SetAspectMode(engine_.get(), 1);
    ApplyZoomView(0);
    WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("ASPECT"), QStringLiteral("on"));
  } else if (engine_->aspectMode == 1) {
    keepAspect_ = false;
    ops_.SetAspectMode(engine_.get(), 0);
    WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("ASPECT"), QStringLiteral("off"));
  }
  UpdateRateLabel();
}
