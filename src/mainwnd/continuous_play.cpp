// The end of a movie and continuous playback: the next recording of the
// list opens and plays; after the last recording of a folder playback goes
// on with the first recording of the next folder of the folder tree that has
// recordings; after the last folder the movie rewinds to its start, stops,
// and the speed returns to normal. Also the stop and close of the open
// recording that a lost source, new rows or another folder ask for.
#include <QSignalBlocker>

#include "base/app_message.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "browser/folder_tree_ctrl.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"

void PlaybackCoordinator::OnEndOfMovie() {
  // An end that arrives after the engine was shut down finds nothing to end.
  if (engine_->engineReady == 0) return;
  SyncViewsToFrame(static_cast<int>(ops_.GetFrameCount(engine_)) - 1);
  atEndOfMovie_ = true;
  AdvanceToNext();
  if (continuousPlay_) ContinueWithNextFolder();
  atEndOfMovie_ = false;
}

void PlaybackCoordinator::AdvanceToNext() {
  std::lock_guard lock(*mutexCache_);
  // A recording cut short is passed over: it does not play.
  const int next = currentIndex_ >= 0 ? dlg_.fileList()->PlayableRow(currentIndex_ + 1, 1) : -1;
  if (next >= 0) {
    dlg_.fileList()->openMode = 1;
    {
      const QSignalBlocker quiet(dlg_.fileList());
      dlg_.fileList()->SelectRow(next);
    }
    currentIndex_ = next;
    dlg_.seekSlider()->ReleaseCapture();
    dlg_.seekSlider()->SetPos(0);
    SelectRecording(true);
    return;
  }
  if (CFolderTreeCtrl::NextSibling(dlg_.filer()->folderTree()->currentItem()) != nullptr) {
    // The next folder goes on at the current speed.
    ops_.Pause(engine_);
    UpdateRateLabel();
    if (!atEndOfMovie_) StopCurrent();
  } else {
    // The last folder: back to its start, stopped, at normal speed.
    if (engine_->rateCode != 1) {
      ops_.SetRate(engine_, 1);
    } else {
      ops_.Pause(engine_);
    }
    UpdateRateLabel();
    ops_.SeekToFrameAlt(engine_, 0);
    SyncViewsToFrame(0);
    atEndOfMovie_ = false;
    StopCurrent();
  }
  continuousPlay_ = true;
}

void PlaybackCoordinator::AdvanceWithinFolder() {
  if (engine_->engineReady == 0) return;
  AdvanceToNext();
  // Only the end of a movie goes on with the next folder; without that, a
  // later selection must not start playing by itself.
  continuousPlay_ = false;
}

void PlaybackCoordinator::ContinueWithNextFolder() {
  // The folder change lists the next folder and plays its first recording.
  if (dlg_.filer()->SelectNextFolder()) return;
  continuousPlay_ = false;
  dlg_.windowModes().SetZoomMode(false);
  dlg_.filer()->update();
  dlg_.windowModes().ApplyWindowMode();
}

void PlaybackCoordinator::OnFolderChanged() {
  QTreeWidgetItem* chosen = dlg_.filer()->folderTree()->currentItem();
  if (chosen == nullptr || CFolderTreeCtrl::FolderOf(chosen).isEmpty()) return;
  StopAndClose();
  if (const int first = dlg_.fileList()->PlayableRow(0, 1); first >= 0) {
    dlg_.fileList()->SelectRow(first);
    return;
  }
  for (QTreeWidgetItem* item = CFolderTreeCtrl::NextSibling(chosen); item != nullptr;
       item = CFolderTreeCtrl::NextSibling(item)) {
    dlg_.filer()->ChooseFolderQuietly(item);
    if (const int first = dlg_.fileList()->PlayableRow(0, 1); first >= 0) {
      dlg_.fileList()->SelectRow(first);
      return;
    }
  }
  // No folder from the chosen one on has recordings: the chosen one stays.
  continuousPlay_ = false;
  dlg_.windowModes().SetZoomMode(false);
  dlg_.windowModes().ApplyWindowMode();
  dlg_.UpdateButtons();
  ops_.SetRate(engine_, 1);
  dlg_.filer()->ChooseFolderQuietly(chosen);
}

void PlaybackCoordinator::StopAndClose() {
  openDelay_.stop();
  openWatchdog_.stop();
  if (engine_->engineReady != 0 && engine_->playState != 3) ops_.Pause(engine_);
  StopCurrent();
  if (!continuousPlay_ && engine_->rateCode != 1) ops_.SetRate(engine_, 1);
  CloseRecording();
  SetBusy(false);
}

void PlaybackCoordinator::ResetToEmptyView() {
  ops_.SetRate(engine_, 1);
  CloseRecording();
  dlg_.SetPlayButtonLook(false);
  {
    std::lock_guard lock(*mutexCache_);
    currentIndex_ = -1;
  }
  UpdateRateLabel();
}
