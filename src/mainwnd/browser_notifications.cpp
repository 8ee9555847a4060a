// What the recording browser reports to the main window: its source has
// vanished (0x84B1), or its rows were rebuilt (another folder, a filter, a
// sort order), or its folder tree's choice moved.
#include "base/app_message.h"
#include "base/mount_point.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "views/info_dlg.h"

void CKestrelDlg::OnSourceLost() {
  // A vanished source has nothing to go on with.
  playback().MarkSourceLost();
  infoDlg_->SetEventWord(0);
  playback().StopAndClose();
  clipMarks().Clear();
  // Known from when the source was there: the medium itself may be gone.
  const QString lostMount = filer_->sourceMountPoint();
  filer_->Relist();
  csvExportAvailable_ = false;
  UpdateButtons();
  windowModes().SetZoomMode(false);
  // A viewer started from the medium that went away ends with it.
  if (RunsFromLostMedium(programMountPoint_, lostMount)) done(QDialog::Rejected);
}

void CKestrelDlg::OnBrowserRowsRebuilt() {
  // The open recording's row number means nothing in the new rows.
  if (playback().currentIndex() < 0 && !playback().openDelayRunning() &&
      !playback().openComplete()) {
    // Nothing is open: the buttons still follow the rows (a filter may have
    // left none).
    UpdateButtons();
    return;
  }
  playback().StopAndClose();
  SetPlayButtonLook(false);
  if (fileList_->entryCount() == 0) infoDlg_->SetEventWord(0);
  UpdateButtons();
}

void CKestrelDlg::OnFolderChosen() {
  // The source's own first choice of folder opens nothing.
  if (!filer_->applyingSource()) PostAppMessage(this, WM_APP_FOLDER_CHANGED);
}
