// What the recording browser reports to the main window: its source has
// vanished (0x84B1), or its rows were rebuilt (another folder, a filter, a
// sort order).
#include "base/mount_point.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "mainwnd/kestrel_dlg.h"
#include "views/info_dlg.h"

void CKestrelDlg::StopAndClose() {
  openDelay_.stop();
  openWatchdog_.stop();
  if (engine_->engineReady != 0 && engine_->playState != 3) ops_.Pause(engine_.get());
  StopCurrent();
  if (!continuousPlay_ && engine_->rateCode != 1) ops_.SetRate(engine_.get(), 1);
  CloseRecording();
  SetBusy(false);
}

void CKestrelDlg::OnSourceLost() {
  openComplete_ = false;
  // A vanished source has nothing to go on with.
  continuousPlay_ = false;
  infoDlg_->SetEventWord(0);
  StopAndClose();
  UpdateRateLabel();
  // Known from when the source was there: the medium itself may be gone.
  const QString lostMount = filer_->sourceMountPoint();
  filer_->Relist();
  csvExportAvailable_ = false;
  UpdateButtons();
  SetZoomMode(false);
  // A viewer started from the medium that went away ends with it.
  if (RunsFromLostMedium(programMountPoint_, lostMount)) done(QDialog::Rejected);
}

void CKestrelDlg::OnBrowserRowsRebuilt() {
  // The open recording's row number means nothing in the new rows.
  if (currentIndex_ < 0 && !openDelay_.isActive() && !openComplete_) {
    // Nothing is open: the buttons still follow the rows (a filter may have
    // left none).
    UpdateButtons();
    return;
  }
  StopAndClose();
  SetPlayButtonLook(false);
  if (fileList_->entryCount() == 0) infoDlg_->SetEventWord(0);
  UpdateButtons();
}
