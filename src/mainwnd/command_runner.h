#pragma once

// The command worker and the file commands: snapshot, join, delete, CSV and GPX export, clip,
// repair.

#include <QPoint>
#include <QString>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "catalogue/clip_stretch.h"
#include "player/player_engine_ops.h"
#include "player/player_engine_state.h"

class CKestrelDlg;

// The one worker thread of the commands that write files: the controls are
// disabled while it runs, a progress bar over the picture follows it, and
// its end brings the controls back. The dialogs of those commands are shown
// by the UI thread before the worker starts; the worker only works through
// the files and leaves what the user must be told for the UI thread.
class CommandRunner {
 public:
  CommandRunner(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine);
  ~CommandRunner();

  // The file commands (38006, 38007, 38010, 38012 and the GPX export).
  void OnSnapshot();
  void OnJoin();
  void OnDelete();
  void OnCsvExport();
  void OnGpxExport();
  // The clip between the marks (38021), and the stretch around a moment
  // (the key c, an event of the event list).
  void OnClipExport();
  void OnClipAround(const ClipMoment& moment);
  // The recording list's popup menu at `point` (in the list's coordinates):
  // "修復…" on a recording cut short.
  void OnListMenu(const QPoint& point);
  void OnRepair(const std::filesystem::path& damaged);

  // `job` runs on the worker thread; it posts progress and ends by posting
  // WM_APP_WORK_DONE.
  void StartCommandWorker(std::function<void()> job);
  // Asks the worker to stop at its next item, waits for it and brings the
  // controls back.
  void FinishCommandWorker();
  // WM_APP_WORK_PROGRESS and WM_APP_WORK_DONE.
  void OnWorkProgress(std::intptr_t done, std::intptr_t total);
  void OnWorkDone(std::intptr_t result);
  // A command worker runs (join, delete or CSV export).
  bool commandRunning() const { return commandRunning_; }

 private:
  // What StartCommandWorker does before the worker thread starts: the
  // progress bar at 0, the controls disabled, commandRunning set.
  void BeginCommand();
  void ShowProgressBar(bool shown);
  // Back to normal speed, the volume and the rate label, the start of the
  // movie shown and stopped: the prelude of the file commands.
  void RewindForWork();
  // Ends a command whose dialog was cancelled before its worker started.
  void EndCommandBeforeWork();
  // The delete command's end on the UI thread: the catalogue and the list
  // without the trashed files.
  void FinishDelete();
  // Asks where the stretch goes and writes it on the worker; a stretch that
  // cannot be written is refused with its reason.
  void RunClip(const StretchResult& stretch);
  // The end on the UI thread of a command that changed the source's files
  // (delete, repair): the catalogue and the list read again.
  void RelistAfterWork();

  CKestrelDlg& dlg_;
  const PlayerEngineOps& ops_;
  PlayerEngineState* engine_;

  // Cleared to ask the worker to stop at its next item.
  std::atomic<bool> commandRunning_{false};
  std::thread commandWorker_;
  bool doneMessagePending_ = false;
  bool rewindAfterWork_ = false;
  // What a worker leaves for the UI thread when it is done: the error box
  // to show, the settings to write, what follows.
  struct WorkOutcome {
    QString errorText;
    QString rememberKey;
    QString rememberFolder;
    bool done = false;          // the job was done: "完了しました。"
    bool clearRewind = false;   // the join did not get as far as its first recording
    bool relist = false;        // the source's files changed: read it again
  };
  WorkOutcome workOutcome_;
  std::mutex workOutcomeMutex_;
};
