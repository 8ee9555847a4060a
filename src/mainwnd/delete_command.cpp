// The delete command: recordings ticked in the check-list go to the
// desktop's trash (on a memory card, the card's own trash folder), never
// deleted outright and never copied to another file system. A file that
// cannot go to the trash stays where it is and ends the walk.
#include <QPushButton>

#include "base/app_message.h"
#include "base/move_to_trash.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/file_select_dlg.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"

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

void CommandRunner::OnDelete() {
  if (!dlg_.playback().NeedsOpenMovie()) return;
  RewindForWork();
  BeginCommand();

  const int focused = std::max(dlg_.fileList()->currentRow(), 0);
  CFileSelectDlg select(dlg_.fileList()->entries(), &dlg_);
  select.setWindowTitle(UiText(kDeleteText));
  select.okButton()->setText(UiText(kDeleteText));
  if (focused < select.checkList()->topLevelItemCount()) select.SetTicked(focused, true);
  const std::vector<FileEntry> ticked =
      select.exec() == QDialog::Accepted ? select.Ticked() : std::vector<FileEntry>{};
  if (ticked.empty()) {
    // The recording that was focused opens again.
    dlg_.playback().SetCurrentIndex(focused);
    dlg_.fileList()->openMode = 0;
    dlg_.playback().SelectRecording(true);
    EndCommandBeforeWork();
    return;
  }
  // The open recording is closed before its file goes.
  const std::string openName = focused < dlg_.fileList()->entryCount()
                                   ? dlg_.fileList()->entries()[focused].name
                                   : std::string();
  if (Contains(ticked, openName)) dlg_.playback().CloseMovieForWork();
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
      PostAppMessage(&dlg_, WM_APP_WORK_PROGRESS, ++trashed, total);
    }
    if (complete) PostAppMessage(&dlg_, WM_APP_WORK_PROGRESS, total, total);
    {
      std::lock_guard lock(workOutcomeMutex_);
      workOutcome_.relist = true;
      workOutcome_.done = complete;
    }
    commandRunning_ = false;
    PostAppMessage(&dlg_, WM_APP_WORK_DONE, 0, 1);
  });
}
