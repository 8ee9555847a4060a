// The dispatch of the commands of the control bar, the title buttons, the
// popup menu and the keys to the concern that runs each; the source command
// and the listing of a source.
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
      playback().OnToStart();
      break;
    case kCmdPrevious:
      playback().OnPrevious();
      break;
    case kCmdPlayPause:
      playback().OnPlayPause();
      break;
    case kCmdSlower:
      playback().OnRateStep(false);
      break;
    case kCmdFaster:
      playback().OnRateStep(true);
      break;
    case kCmdNext:
      playback().OnNext();
      break;
    case kCmdSnapshot:
      commands().OnSnapshot();
      break;
    case kCmdJoin:
      commands().OnJoin();
      break;
    case kCmdZoom:
      windowModes().OnZoomMode();
      break;
    case kCmdSource:
      OnChooseSource();
      break;
    case kCmdDelete:
      commands().OnDelete();
      break;
    case kCmdSettings:
      settingDlg_->show();
      settingDlg_->raise();
      break;
    case kCmdCsv:
      commands().OnCsvExport();
      break;
    case kCmdObdMeters:
      meters().ShowObdMeters();
      break;
    case kCmdEventList:
      mapAndMarks().OpenEventList();
      break;
    case kCmdGpxExport:
      commands().OnGpxExport();
      break;
    case kCmdClipStart:
      clipMarks().Set(true);
      break;
    case kCmdClipEnd:
      clipMarks().Set(false);
      break;
    case kCmdClipExport:
      commands().OnClipExport();
      break;
    case kCmdClipAround:
      if (const std::optional<ClipMoment> moment = clipMarks().ShownMoment()) {
        commands().OnClipAround(*moment);
      }
      break;
    case kCmdFullScreenAspect:
      windowModes().OnFullScreenAspect();
      break;
    case kCmdStepForward:
      keys().StepPictureBy(1);
      break;
    case kCmdStepBack:
      keys().StepPictureBy(-1);
      break;
    case kCmdBackwards:
      playback().OnBackwardsCommand();
      break;
    case kCmdKeyHelp:
      keys().ShowKeyHelp();
      break;
    case kCmdClose:
      close();
      break;
    case kCmdMinimise:
      showMinimized();
      break;
    case kCmdWindowSize:
      windowModes().OnWindowSize();
      break;
    default:
      break;
  }
}

void CKestrelDlg::OnChooseSource() {
  if (engine_->engineReady != 0 && engine_->playState != 3) ops_.Pause(engine_.get());
  playback().StopCurrent();
  windowModes().SetZoomMode(false);
  csvExportAvailable_ = false;
  playback().StopOpenDelay();
  playback().ResetToEmptyView();
  clipMarks().Clear();
  fileList_->openMode = 0;
  // The list is made anew and its first recording opens, so that a cancel
  // leaves a recording to play.
  filer_->Relist();
  if (const int first = fileList_->PlayableRow(0, 1); first >= 0) {
    playback().SetCurrentIndex(first);
    playback().SelectRecording(true);
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
  windowModes().SetZoomMode(false);
  clipMarks().Clear();
  const bool listed = filer_->ApplySource(kind, path);
  SetListedSourceCsv();
  UpdateButtons();
  return listed;
}
