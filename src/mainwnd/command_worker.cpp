// The one worker thread of the commands that write files (join, delete and
// CSV export): the controls are disabled while it runs, a progress bar over
// the picture follows it, and its end brings the controls back. The dialogs
// of those commands are shown by the UI thread before the worker starts;
// the worker only works through the files and leaves what the user must be
// told for the UI thread.
#include "base/app_message.h"
#include "base/error_box.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "controls/skin_button.h"
#include "controls/skin_progress_bar_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "player/movie_static.h"
#include "views/info_dlg.h"

namespace {

constexpr int kDoneText = 48;     // "完了しました。"
constexpr int kDoneCaption = 49;  // "終了"

}  // namespace

CommandRunner::CommandRunner(CKestrelDlg& dlg, const PlayerEngineOps& ops,
                             PlayerEngineState* engine)
    : dlg_(dlg), ops_(ops), engine_(engine) {}

CommandRunner::~CommandRunner() = default;

void CommandRunner::BeginCommand() {
  dlg_.progressBar()->SetPos(0);
  dlg_.progressBar()->Place(dlg_.videoSurface());
  commandRunning_ = true;
  dlg_.EnableAllControls(false);
  {
    std::lock_guard lock(workOutcomeMutex_);
    workOutcome_ = {};
  }
  dlg_.update();
}

void CommandRunner::StartCommandWorker(std::function<void()> job) {
  if (!commandRunning_) BeginCommand();
  // The to-start button stays the way to stop the worker.
  dlg_.commandButton(kCmdToStart)->setEnabled(true);
  commandWorker_ = std::thread(std::move(job));
  dlg_.update();
}

void CommandRunner::EndCommandBeforeWork() {
  commandRunning_ = false;
  PostAppMessage(&dlg_, WM_APP_WORK_DONE, 0, 0);
}

void CommandRunner::FinishCommandWorker() {
  commandRunning_ = false;
  if (commandWorker_.joinable()) commandWorker_.join();
  if (doneMessagePending_) {
    doneMessagePending_ = false;
    ShowMessageBox(&dlg_, UiText(kDoneText), UiText(kDoneCaption));
  }
  dlg_.EnableAllControls(true);
  dlg_.update();
}

void CommandRunner::ShowProgressBar(bool shown) {
  dlg_.progressBar()->setVisible(shown);
  if (shown) dlg_.progressBar()->raise();
}

void CommandRunner::OnWorkProgress(std::intptr_t done, std::intptr_t total) {
  const std::intptr_t percent = total <= 0 ? 100 : done * 100 / total;
  dlg_.progressBar()->SetPos(static_cast<int>(percent));
  ShowProgressBar(true);
}

void CommandRunner::OnWorkDone(std::intptr_t result) {
  if (commandWorker_.joinable()) commandWorker_.join();
  WorkOutcome outcome;
  {
    std::lock_guard lock(workOutcomeMutex_);
    outcome = std::move(workOutcome_);
    workOutcome_ = {};
  }
  if (!outcome.errorText.isEmpty()) ShowErrorBox(&dlg_, outcome.errorText);
  doneMessagePending_ = outcome.done;
  if (outcome.clearRewind) rewindAfterWork_ = false;
  if (!outcome.rememberKey.isEmpty()) {
    WriteIniString(QStringLiteral("FOLDERPATH"), outcome.rememberKey, outcome.rememberFolder);
  }
  if (outcome.relist) RelistAfterWork();
  FinishCommandWorker();
  if (rewindAfterWork_) {
    ops_.SeekToFrameAlt(engine_, 0);
    dlg_.playback().SyncViewsToFrame(0);
    dlg_.playback().StopCurrent();
    rewindAfterWork_ = false;
  }
  dlg_.UpdateButtons();
  ShowProgressBar(false);
  if (dlg_.playback().resumePending()) {
    if (!dlg_.playback().SelectRecording(false)) dlg_.playback().PrepareResume(false);
  } else if (result != 0) {
    ops_.SeekToFrame(engine_, ops_.GetPosition(engine_));
  }
}

void CommandRunner::RelistAfterWork() {
  // The source is read again: the trashed files are neither in the
  // catalogue nor in the list any more, also after a walk that stopped;
  // a repaired recording is listed.
  dlg_.playback().SetCurrentIndex(-1);
  dlg_.fileList()->openMode = 0;
  dlg_.filer()->Relist();
  // The first recording opens, also when the list's choice did not move.
  const int first = dlg_.fileList()->PlayableRow(0, 1);
  if (first >= 0 && dlg_.playback().currentIndex() < 0) {
    dlg_.playback().SetCurrentIndex(first);
    dlg_.playback().SelectRecording(true);
  }
  if (dlg_.fileList()->entryCount() == 0) {
    dlg_.windowModes().SetZoomMode(false);
    dlg_.SetCsvExportAvailable(false);
    dlg_.playback().ResetToEmptyView();
    dlg_.infoDlg()->SetEventWord(0);
  }
}
