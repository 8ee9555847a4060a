// The end of a movie and continuous playback: the next recording of the
// list opens and plays; after the last recording of a folder playback goes
// on with the first recording of the next folder of the folder tree that has
// recordings; after the last folder the movie rewinds to its start, stops,
// and the speed returns to normal.
#include <QSignalBlocker>

#include "base/app_message.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "browser/folder_tree_ctrl.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"

void CKestrelDlg::OnEndOfMovie(std::intptr_t, std::intptr_t) {
  // An end that arrives after the engine was shut down finds nothing to end.
  if (engine_->engineReady == 0) return;
  SyncViewsToFrame(static_cast<int>(ops_.GetFrameCount(engine_.get())) - 1);
  atEndOfMovie_ = true;
  AdvanceToNext();
  if (continuousPlay_) ContinueWithNextFolder();
  atEndOfMovie_ = false;
}

void CKestrelDlg::AdvanceToNext() {
  std::lock_guard lock(*mutexCache_);
  const int next = currentIndex_ + 1;
  if (currentIndex_ >= 0 && next < fileList_->entryCount()) {
    fileList_->openMode = 1;
    {
      const QSignalBlocker quiet(fileList_);
      fileList_->SelectRow(next);
    }
    currentIndex_ = next;
    seekSlider_->ReleaseCapture();
    seekSlider_->SetPos(0);
    SelectRecording(true);
    return;
  }
  if (CFolderTreeCtrl::NextSibling(filer_->folderTree()->currentItem()) != nullptr) {
    // The next folder goes on at the current speed.
    ops_.Pause(engine_.get());
    UpdateRateLabel();
    if (!atEndOfMovie_) StopCurrent();
  } else {
    // The last folder: back to its start, stopped, at normal speed.
    if (engine_->rateCode != 1) {
      ops_.SetRate(engine_.get(), 1);
    } else {
      ops_.Pause(engine_.get());
    }
    UpdateRateLabel();
    ops_.SeekToFrameAlt(engine_.get(), 0);
    SyncViewsToFrame(0);
    atEndOfMovie_ = false;
    StopCurrent();
  }
  continuousPlay_ = true;
}

void CKestrelDlg::AdvanceWithinFolder() {
  if (engine_->engineReady == 0) return;
  AdvanceToNext();
  // Only the end of a movie goes on with the next folder; without that, a
  // later selection must not start playing by itself.
  continuousPlay_ = false;
}

void CKestrelDlg::ContinueWithNextFolder() {
  // The folder change lists the next folder and plays its first recording.
  if (filer_->SelectNextFolder()) return;
  continuousPlay_ = false;
  SetZoomMode(false);
  filer_->update();
  ApplyWindowMode();
}

void CKestrelDlg::OnFolderChosen() {
  // The source's own first choice of folder opens nothing.
  if (!filer_->applyingSource()) PostAppMessage(this, WM_APP_FOLDER_CHANGED);
}

void CKestrelDlg::OnFolderChanged() {
  QTreeWidgetItem* chosen = filer_->folderTree()->currentItem();
  if (chosen == nullptr || CFolderTreeCtrl::FolderOf(chosen).isEmpty()) return;
  StopAndClose();
  if (fileList_->count() > 0) {
    fileList_->SelectRow(0);
    return;
  }
  for (QTreeWidgetItem* item = CFolderTreeCtrl::NextSibling(chosen); item != nullptr;
       item = CFolderTreeCtrl::NextSibling(item)) {
    filer_->ChooseFolderQuietly(item);
    if (fileList_->count() > 0) {
      fileList_->SelectRow(0);
      return;
    }
  }
  // No folder from the chosen one on has recordings: the chosen one stays.
  continuousPlay_ = false;
  SetZoomMode(false);
  ApplyWindowMode();
  UpdateButtons();
  ops_.SetRate(engine_.get(), 1);
  filer_->ChooseFolderQuietly(chosen);
}
