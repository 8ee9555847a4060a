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
#include "controls/skin_button.h"
#include "controls/skin_progress_bar_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "player/movie_static.h"

namespace {

constexpr int kDoneText = 48;     // "完了しました。"
constexpr int kDoneCaption = 49;  // "終了"

}  // namespace

void CKestrelDlg::BeginCommand() {
  progressBar_->SetPos(0);
  progressBar_->Place(video_);
  commandRunning_ = true;
  EnableAllControls(false);
  {
    std::lock_guard lock(workOutcomeMutex_);
    workOutcome_ = {};
  }
  update();
}

void CKestrelDlg::StartCommandWorker(std::function<void()> job) {
  if (!commandRunning_) BeginCommand();
  // The to-start button stays the way to stop the worker.
  commandButton(kCmdToStart)->setEnabled(true);
  commandWorker_ = std::thread(std::move(job));
  update();
}

void CKestrelDlg::CloseMovieForWork() {
  tick_.stop();
  openComplete_ = false;
  JoinWorkers();
  ops_.CloseMovie(engine_.get());
  ops_.ReleaseTrack(engine_.get());
  engine_->trackLoaded = 0;
}

void CKestrelDlg::EndCommandBeforeWork() {
  commandRunning_ = false;
  PostAppMessage(this, WM_APP_WORK_DONE, 0, 0);
}

void CKestrelDlg::FinishCommandWorker() {
  commandRunning_ = false;
  if (commandWorker_.joinable()) commandWorker_.join();
  if (doneMessagePending_) {
    doneMessagePending_ = false;
    ShowMessageBox(this, UiText(kDoneText), UiText(kDoneCaption));
  }
  EnableAllControls(true);
  update();
}

void CKestrelDlg::ShowProgressBar(bool shown) {
  progressBar_->setVisible(shown);
  if (shown) progressBar_->raise();
}

void CKestrelDlg::OnWorkProgress(std::intptr_t done, std::intptr_t total) {
  const std::intptr_t percent = total <= 0 ? 100 : done * 100 / total;
  progressBar_->SetPos(static_cast<int>(percent));
  ShowProgressBar(true);
}

void CKestrelDlg::OnWorkDone(std::intptr_t result) {
  if (commandWorker_.joinable()) commandWorker_.join();
  WorkOutcome outcome;
  {
    std::lock_guard lock(workOutcomeMutex_);
    outcome = std::move(workOutcome_);
    workOutcome_ = {};
  }
  if (!outcome.errorText.isEmpty()) ShowErrorBox(this, outcome.errorText);
  doneMessagePending_ = outcome.done;
  if (outcome.clearRewind) rewindAfterWork_ = false;
  if (!outcome.rememberKey.isEmpty()) {
    WriteIniString(QStringLiteral("FOLDERPATH"), outcome.rememberKey, outcome.rememberFolder);
  }
  if (outcome.deleteWalked) FinishDelete();
  FinishCommandWorker();
  if (rewindAfterWork_) {
    ops_.SeekToFrameAlt(engine_.get(), 0);
    SyncViewsToFrame(0);
    StopCurrent();
    rewindAfterWork_ = false;
  }
  UpdateButtons();
  ShowProgressBar(false);
  if (resumeFramePending_) {
    if (!SelectRecording(false)) resumeFramePending_ = false;
  } else if (result != 0) {
    ops_.SeekToFrame(engine_.get(), ops_.GetPosition(engine_.get()));
  }
}
