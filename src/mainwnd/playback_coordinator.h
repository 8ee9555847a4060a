#pragma once

// Playback coordination: the open pipeline, the tick, seeking, the play controls and the advance.

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "player/player_engine_ops.h"
#include "player/player_engine_state.h"

class CKestrelDlg;
class FrameView;

// Conducts playback for the main window: a selection in the recording list
// opens the movie after a short delay, a worker reads its sensor track
// ahead, and a 30 ms tick keeps the information panel and the seek slider on
// the frame the engine shows. The window owns the engine; this object owns
// what is known of the open recording.
class PlaybackCoordinator : public QObject {
  Q_OBJECT
 public:
  PlaybackCoordinator(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine);
  ~PlaybackCoordinator() override;

  // Opens the recording at currentIndex after the open delay; false when
  // currentIndex is not a recording of the list. `fromUserClick` marks a
  // selection the user made in the list.
  bool SelectRecording(bool resetSlider, bool fromUserClick = false);
  // Seeks, keeping EndMargin clear of the end, and shows the frame.
  void SeekTo(int frame);
  // Pushes one frame's sensor values to the views.
  void SyncViewsToFrame(int frame);
  // The readout beside the seek slider: the frame's time in the recording
  // and the recording's length ("0:23 / 1:00").
  void ShowPlayTime(int frame);
  // The recorder's clock at `frame` as the information panel shows it: the
  // seek slider's tooltip under the pointer. Empty while nothing is open or
  // the recording has no clock.
  QString ClockTipAt(int frame) const;
  // The views that SyncViewsToFrame hands each frame's values to, in order.
  void AddFrameView(FrameView* view) { frameViews_.push_back(view); }
  // The play controls over the engine; PlayCurrent is true when it started
  // playback.
  bool PlayCurrent();
  void PauseCurrent();
  void StopCurrent();
  // The end-of-movie advance: the next recording of the list opens and plays.
  void AdvanceToNext();
  // The advance of WM_APP+1, WM_SLOW_END and the graph's completion: the
  // next recording of the list, but no next folder.
  void AdvanceWithinFolder();
  // Closes the movie and clears all views.
  void CloseRecording();
  // Stops and closes the open recording, back at normal speed.
  void StopAndClose();
  // Empties the view: normal speed, the recording closed, the play look.
  void ResetToEmptyView();
  // Closes the movie while a command works on its file; the recording stays
  // the current one, to be opened again.
  void CloseMovieForWork();
  // Shows the rate label; false when the engine's overlay could not be cleared.
  bool UpdateRateLabel();
  bool NearEndOfMovie();
  // An open movie not near its end: what most commands need.
  bool NeedsOpenMovie() { return openComplete_ && !NearEndOfMovie(); }
  // Stores the volume (0..65535), saves it, gives it to the engine and moves
  // the volume slider.
  void SetVolumeLevel(int level);
  // The play commands: play/pause (38002), to start, previous and next
  // recording, slower and faster.
  void OnPlayPause();
  void OnToStart();
  void OnPrevious();
  void OnRateStep(bool faster);
  void OnNext();
  // Playing backwards and forwards by the keys j and l (again: faster, up
  // to x4), pausing by k, and the popup menu's item that turns playing
  // backwards on and off.
  void OnBackwardsKey();
  void OnForwardsKey();
  void OnPauseKey();
  void OnBackwardsCommand();
  // The engine stopped playing backwards by itself: at the first picture
  // the previous recording of the list goes on backwards from its last
  // picture (at the first recording it stays paused there at normal speed);
  // after a failed decode it stays paused on the last picture shown.
  void OnReverseStopped(bool failed);
  // The playback tick (timer 100): moves the views to the engine's frame
  // unless a seek is still on its way.
  void OnPlaybackTick();

  // What the video surface and the posted messages report.
  void OnEndOfMovie();
  void OnMediaOpened();
  void OnMediaOpenFailed();
  // WM_APP_TRACK_LOADED: the track loader read the track of open `serial`.
  void CompleteOpen(std::intptr_t serial, std::intptr_t preRead);
  void FinishOpen();
  // 0x8262: an open finished elsewhere; the wait is over.
  void EndWait();
  void OnSliderMessage(int message, int id, int position);
  // WM_APP_FOLDER_CHANGED: the chosen folder's first recording opens, or the
  // first of the next folder that has recordings.
  void OnFolderChanged();
  // The list's choice moved to `row`.
  void OnListRowSelected(int row);

  // State of the playback coordination.
  int currentIndex() const { return currentIndex_; }
  // Moves the current recording (under "hMutexCache").
  void SetCurrentIndex(int index);
  bool IndexValid() const;
  // The path of entry `index` (copied under "hMutexCache"); empty when invalid.
  QString EntryPath(int index) const;
  // Guards the current recording index and the catalogue's entries against
  // the worker threads that copy a path out of them.
  std::recursive_mutex& cacheMutex() const { return *mutexCache_; }
  bool openComplete() const { return openComplete_; }
  bool readyToOpen() const { return readyToOpen_; }
  bool busy() const { return busy_; }
  void SetBusy(bool busy);
  bool nothingShown() const { return nothingShown_; }
  bool playAfterOpen() const { return playAfterOpen_; }
  int pendingSyncFrame() const { return pendingSyncFrame_; }
  bool tickRunning() const { return tick_.isActive(); }
  void StopTick() { tick_.stop(); }
  bool openDelayRunning() const { return openDelay_.isActive(); }
  void StopOpenDelay() { openDelay_.stop(); }
  int volumeLevel() const { return volumeLevel_; }
  // Playback goes on across folders: set when the last recording of a
  // folder ended, cleared once the next folder's first recording plays.
  bool continuousPlay() const { return continuousPlay_; }
  void EndContinuousPlay() { continuousPlay_ = false; }
  // The source vanished: the open is over and nothing goes on.
  void MarkSourceLost() {
    openComplete_ = false;
    continuousPlay_ = false;
  }
  // Whether the open recording's impacts count as events: off for the
  // triggers A and P.
  bool gMarks() const { return gMarks_; }
  // The recording on show is reopened, paused at `frame`, once a command
  // ends; PrepareResume marks it before the frame is known.
  void PrepareResume(bool pending) { resumeFramePending_ = pending; }
  void SetResumeFrame(int frame) { resumeFrame_ = frame; }
  bool resumePending() const { return resumeFramePending_; }

  // The periods of the timers (ids 100, 101, 102).
  static constexpr int kTickMs = 30;
  static constexpr int kOpenDelayMs = 500;
  static constexpr int kOpenWatchdogMs = 30000;
  // The track loader's pause that lets the engine start playing first.
  static constexpr int kLoaderPauseMs = 80;

 private:
  void OpenSelected();
  void OnOpenWatchdog();
  void StartTrackLoader();
  void StartPrefetcher();
  void JoinWorkers();
  // After the last recording of a folder: the next folder of the tree, or,
  // with none, the end of continuous playback.
  void ContinueWithNextFolder();
  // Plays in `direction` at x1 from the picture shown, whatever the state.
  void PlayInDirection(int direction);
  // After the open of the previous recording: backwards from its last picture.
  void ContinueBackwardsFromEnd();

  CKestrelDlg& dlg_;
  const PlayerEngineOps& ops_;
  PlayerEngineState* engine_;
  std::recursive_mutex* mutexCache_ = nullptr;

  int currentIndex_ = -1;
  bool openComplete_ = false;
  bool readyToOpen_ = true;
  bool busy_ = false;
  bool continuousPlay_ = false;
  bool nothingShown_ = true;
  int pendingSyncFrame_ = -1;
  int volumeLevel_ = 0;
  bool atEndOfMovie_ = false;
  bool playAfterOpen_ = false;
  bool backwardsAfterOpen_ = false;  // the open goes on playing backwards from the end
  bool nearEndShown_ = false;  // the tick has disabled the playback controls near the end
  bool gMarks_ = true;
  bool resumeFramePending_ = false;
  int resumeFrame_ = 0;
  // Numbers the opens, so that the track loader's message of an earlier
  // open is not taken for the current one.
  std::intptr_t openSerial_ = 0;
  // Play state at a press on the seek slider.
  int stateAtSliderPress_ = 0;

  QTimer tick_;          // 100
  QTimer openDelay_;     // 101
  QTimer openWatchdog_;  // 102
  std::thread trackLoader_;
  std::thread prefetcher_;
  std::vector<FrameView*> frameViews_;
};
