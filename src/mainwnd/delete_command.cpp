// The delete command: recordings ticked in the check-list go to the
// desktop's trash (on a memory card, the card's own trash folder), never
// deleted outright and never copied to another file system. A file that
// cannot go to the trash stays where it is and ends the walk.
#include <QPushButton>
#include <QSignalBlocker>

#include "base/app_message.h"
#include "base/move_to_trash.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/file_select_dlg.h"
#include "browser/filer_container.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "views/info_dlg.h"

namespace {

constexpr int kDeleteText = 47;  // "削除"
constexpr int kFailedText = 97;  // "動画ファイルの削除に失敗しました。"

bool Contains(const std::vector<FileEntry>& entries, const std::string& name) {
  for (const FileEntry& entry : entries) {
    if (entry.name == name) return true;
  }
  return false;
}

}  // namespace

void CKestrelDlg::OnDelete() {
  if (!NeedsOpenMovie()) return;
  RewindForWork();
  BeginCommand();

  const int focused = std::max(fileList_->currentRow(), 0);
  CFileSelectDlg select(fileList_->entries(), this);
  select.setWindowTitle(UiText(kDeleteText));
  select.okButton()->setText(UiText(kDeleteText));
  if (focused < select.checkList()->topLevelItemCount()) select.SetTicked(focused, true);
  const std::vector<FileEntry> ticked =
      select.exec() == QDialog::Accepted ? select.Ticked() : std::vector<FileEntry>{};
  if (ticked.empty()) {
    // The recording that was focused opens again.
    {
      std::lock_guard lock(*mutexCache_);
      currentIndex_ = focused;
    }
    fileList_->openMode = 0;
    SelectRecording(true);
    EndCommandBeforeWork();
    return;
  }
  // The open recording is closed before its file goes.
  const std::string openName =
      focused < fileList_->entryCount() ? fileList_->entries()[focused].name : std::string();
  if (Contains(ticked, openName)) CloseMovieForWork();
  ShowProgressBar(true);
  StartCommandWorker([this, ticked] {
    const auto total = static_cast<std::intptr_t>(ticked.size());
    std::intptr_t trashed = 0;
    bool complete = true;
    for (auto it = ticked.rbegin(); it != ticked.rend(); ++it) {
      if (!commandRunning_) {
        complete = false;
        break;
      }
      if (!MoveToTrash(it->path)) {
        std::lock_guard lock(workOutcomeMutex_);
        workOutcome_.errorText = UiText(kFailedText);
        complete = false;
        break;
      }
      PostAppMessage(this, WM_APP_WORK_PROGRESS, ++trashed, total);
    }
    if (complete) PostAppMessage(this, WM_APP_WORK_PROGRESS, total, total);
    {
      std::lock_guard lock(workOutcomeMutex_);
      workOutcome_.deleteWalked = true;
      workOutcome_.done = complete;
    }
    commandRunning_ = false;
    PostAppMessage(this, WM_APP_WORK_DONE, 0, 1);
  });
}

void CKestrelDlg::FinishDelete() {
  // The source is read again: the trashed files are neither in the
  // catalogue nor in the list any more, also after a walk that stopped.
  {
    std::lock_guard lock(*mutexCache_);
    currentIndex_ = -1;
  }
  fileList_->openMode = 0;
  filer_->Relist();
  // The first recording opens, also when the list's choice did not move.
  if (fileList_->entryCount() > 0 && currentIndex_ < 0) {
    {
      std::lock_guard lock(*mutexCache_);
      currentIndex_ = 0;
    }
    SelectRecording(true);
  }
  if (fileList_->entryCount() == 0) {
    SetZoomMode(false);
    csvExportAvailable_ = false;
    ResetToEmptyView();
    infoDlg_->SetEventWord(0);
  }
}
