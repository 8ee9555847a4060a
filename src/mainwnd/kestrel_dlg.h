#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QTimer>
#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "browser/source_rules.h"
#include "catalogue/catalogue.h"
#include "container/event_marks.h"
#include "mainwnd/button_rules.h"
#include "mainwnd/window_layout_rules.h"
#include "player/movie_static_owner.h"
#include "player/player_engine_ops.h"
#include "player/player_engine_state.h"
#include "update/update_check.h"
#include "update/update_dialog.h"

class CFileListCtrl;
class CGoogleMapDlgWrap;
class MapPositionView;
class QPainter;
class CFilerContainer;
class CEventListDlg;
class CGSensorDlg;
class CInfoDlg;
class CKeyHelpDlg;
class CMovieStatic;
class CObdDlg;
class CSettingDlg;
class CSkinButton;
class CSkinProgressBarCtrl;
class CSkinSliderCtrl;
class FrameView;

// The viewer's main window: a frameless 1120 x 700 dialog that draws its own
// title and can be dragged by any part of its own surface. It owns the player
// engine and conducts playback: a selection in the recording list opens the
// movie after a short delay, a worker reads its sensor track ahead, and a
// 30 ms tick keeps the information panel and the seek slider on the frame
// the engine shows.
class CKestrelDlg : public QDialog, public CMovieStaticOwner {
  Q_OBJECT
 public:
  explicit CKestrelDlg(QWidget* parent = nullptr);
  ~CKestrelDlg() override;

  static constexpr int kWidth = 1120;
  static constexpr int kHeight = 700;
  // Control identifiers.
  static constexpr int kSeekSliderId = 38100;
  static constexpr int kVolumeSliderId = 38101;
  // Periods of the timers (ids 100, 101, 102).
  static constexpr int kTickMs = 30;
  static constexpr int kOpenDelayMs = 500;
  static constexpr int kOpenWatchdogMs = 30000;
  // The track loader's pause that lets the engine start playing first.
  static constexpr int kLoaderPauseMs = 80;

  // Opens the recording at currentIndex after the open delay; false when
  // currentIndex is not a recording of the list. `fromUserClick` marks a
  // selection the user made in the list.
  bool SelectRecording(bool resetSlider, bool fromUserClick = false);
  // Seeks, keeping EndMargin clear of the end, and shows the frame.
  void SeekTo(int frame);
  // Pushes one frame's sensor values to the views.
  void SyncViewsToFrame(int frame);
  // The play controls over the engine; PlayCurrent is true when it started
  // playback.
  bool PlayCurrent();
  void PauseCurrent();
  void StopCurrent();
  // The end-of-movie advance: the next recording of the list opens and plays.
  void AdvanceToNext();
  // Closes the movie and clears all views.
  void CloseRecording();
  // Shows the rate label; false when the engine's overlay could not be cleared.
  bool UpdateRateLabel();
  bool NearEndOfMovie();
  // Stores the volume (0..65535), saves it, gives it to the engine and moves
  // the volume slider.
  void SetVolumeLevel(int level);
  // The play/pause command (38002).
  void OnPlayPause();
  // The playback tick (timer 100): moves the views to the engine's frame
  // unless a seek is still on its way.
  void OnPlaybackTick();

  // The full-screen aspect setting and the volume read at start-up.
  bool keepAspect() const { return keepAspect_; }
  int volumeLevel() const { return volumeLevel_; }

  // State of the playback coordination.
  int currentIndex() const { return currentIndex_; }
  bool openComplete() const { return openComplete_; }
  bool readyToOpen() const { return readyToOpen_; }
  bool busy() const { return busy_; }
  bool nothingShown() const { return nothingShown_; }
  bool playAfterOpen() const { return playAfterOpen_; }
  int pendingSyncFrame() const { return pendingSyncFrame_; }
  bool tickRunning() const { return tick_.isActive(); }
  // Whether event channel 0..7 is shown on the G-sensor graph and sent to
  // the map.
  bool channelShown(int channel) const { return channelSwitches_.at(channel).shownOnGraph; }
  bool channelSentToMap(int channel) const { return channelSwitches_.at(channel).sentToMap; }
  // The event marks of the open recording, for the map and previous/next
  // event.
  const std::vector<EventMark>& eventList() const { return eventList_; }
  // Rebuilds the event list of recording `index`, redraws the graph and
  // sends the map its route and pins; false only while the map's page is
  // not initialised (the list is built all the same).
  bool BuildEventMarks(int index);
  QString rateLabelText() const { return rateLabel_->text(); }

  CFileListCtrl* fileList() const { return fileList_; }
  CFilerContainer* filer() const { return filer_; }
  // Only a memory card with recordings can be listed as CSV.
  bool csvExportAvailable() const { return csvExportAvailable_; }
  CInfoDlg* infoDlg() const { return infoDlg_; }
  CGSensorDlg* gSensorDlg() const { return gSensorDlg_; }
  // The event list of the whole open source (Ctrl+E), made on first use.
  void OpenEventList();
  CEventListDlg* eventListDlg() const { return eventListDlg_; }
  CSkinSliderCtrl* seekSlider() const { return seekSlider_; }
  CSkinSliderCtrl* volumeSlider() const { return volumeSlider_; }
  CMovieStatic* videoSurface() const { return video_; }
  CSkinButton* playButton() const { return playButton_; }
  // The control-bar button of `command` (38000..38012) or a title button
  // (13, 14, 15); null for any other id.
  CSkinButton* commandButton(int command) const;
  CSkinProgressBarCtrl* progressBar() const { return progressBar_; }
  CSettingDlg* settingDlg() const { return settingDlg_; }
  // Lists a source as the source dialog's choice does: the CSV export is
  // available for a memory card with recordings only.
  bool ListSource(SourceKind kind, const QString& path);
  // Runs a command of the control bar, the title buttons or the popup menu.
  void OnCommand(int command);
  // A command worker runs (join, delete or CSV export).
  bool commandRunning() const { return commandRunning_; }
  bool zoomMode() const { return zoomMode_; }
  int windowMode() const { return windowMode_; }
  PlayerEngineState* engineState() const { return engine_.get(); }
  CGoogleMapDlgWrap* map() const { return map_.get(); }
  // The map's event marks are sent for the current recording.
  bool marksBuilt() const { return marksBuilt_; }
  bool mapPageReady() const { return mapPageReady_; }
  // Sends the map page the rebuild sequence and one mark per event of the
  // recording at `index`; false while the page is not initialised.
  bool SendEventMarksToMap(int index);
  const PlayerEngineOps& engineOps() const { return ops_; }

  // Command 38013: the vehicle meters, placed beside the window and
  // restarted (what the movie popup menu's "車両情報" and the information
  // panel's vehicle icon call).
  void ShowObdMeters();
  CObdDlg* obdDlg() const { return obdDlg_; }
  // Starts the update check the first time (later calls do nothing); false
  // when nothing was started (no update server set, or started before).
  bool StartUpdateCheck();
  CUpdateCheck& updateCheck() { return updateCheck_; }
  // The update dialog while it is open.
  CUpdateDialog* updateDialog() const { return updateDialog_; }

 signals:
  // OpenSelected is about to open the recording at `index`.
  void openingRecording(int index);
  // The engine reported the movie at `index` opened.
  void recordingOpened(int index);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // What the video surface reports.
  void OnEndOfMovie(std::intptr_t wParam, std::intptr_t lParam) override;
  void OnMediaOpened(std::intptr_t wParam, std::intptr_t lParam) override;
  void OnMediaOpenFailed() override;
  void OnGraphNotify(std::intptr_t wParam, std::intptr_t lParam) override;
  void OnPopupMenu(const QPoint& screenPoint) override;

  // Start-up of the window, in order (main_window.cpp).
  void OnInitDialog();
  void Shutdown();

  // Child windows (main_layout.cpp).
  void CreateChildControls();
  void SetPlayButtonLook(bool pauseLook);
  void EnableControls(bool enable);
  void EnablePlaybackControls(bool enable);

  // The control bar and the title buttons (control_bar.cpp).
  void CreateControlBar();
  void UpdateButtons();
  // What every control-bar button would be now.
  ButtonStates CurrentButtonStates() const;
  // Every control of the window, for a command that writes files.
  void EnableAllControls(bool enable);
  void SetListedSourceCsv();

  // The commands (commands.cpp, snapshot_command.cpp, join_command.cpp,
  // delete_command.cpp, csv_command.cpp, popup_menu.cpp).
  bool NeedsOpenMovie();
  void OnToStart();
  void OnPrevious();
  void OnRateStep(bool faster);
  void OnNext();
  void OnZoomMode();
  void OnChooseSource();
  void OnSnapshot();
  void OnJoin();
  void OnDelete();
  void OnCsvExport();
  void OnGpxExport();
  void OnFullScreenAspect();
  // Back to normal speed, the volume and the rate label, the start of the
  // movie shown and stopped: the prelude of the file commands.
  void RewindForWork();
  // Empties the view: normal speed, the recording closed, the play look.
  void ResetToEmptyView();

  // The command worker (command_worker.cpp). `job` runs on the worker
  // thread; it posts progress and ends by posting WM_APP_WORK_DONE.
  void StartCommandWorker(std::function<void()> job);
  // What StartCommandWorker does before the worker thread starts: the
  // progress bar at 0, the controls disabled, commandRunning set.
  void BeginCommand();
  void FinishCommandWorker();
  void OnWorkProgress(std::intptr_t done, std::intptr_t total);
  void OnWorkDone(std::intptr_t result);
  void ShowProgressBar(bool shown);
  void FillBrowserFromSavedSource();

  // The meters and the update check (meters_and_update.cpp).
  void CreateMetersWindow();
  void OnUpdateFound();

  // What the recording browser reports (browser_notifications.cpp).
  void OnSourceLost();
  void OnBrowserRowsRebuilt();
  // Stops and closes the open recording, back at normal speed.
  void StopAndClose();

  // The open pipeline (playback_open.cpp).
  void OnListRowSelected(int row);
  void OpenSelected();
  void OnOpenWatchdog();
  void CompleteOpen(std::intptr_t serial, std::intptr_t preRead);
  void FinishOpen();
  void StartTrackLoader();
  void StartPrefetcher();
  void JoinWorkers();
  void SetBusy(bool busy);
  bool IndexValid() const;
  // The path of entry `index` (copied under "hMutexCache"); empty when invalid.
  QString EntryPath(int index) const;

  // The map (map_upkeep.cpp).
  void CreateMap();
  // The group track of the list's recordings, read again when the list changed.
  void UpdateMapGroup();
  void MapUpkeep();
  void OnMapReady();
  void OnMapMarkClicked(int frame);
  // The map status of the play state (0 playing, 1 paused, 2 stopped), sent.
  void PushMapStatus(int state);
  void DrawMapArea(QPainter& painter);
  // The tick while stopped or paused: the map area follows the reachability.
  void MapTickWhileStill();

  // Playback (playback_sync.cpp).
  void OnSliderMessage(int message, int id, int position);
  void OnAxisToggle(int channel, int state);

  // Event marks (event_navigation.cpp): previous/next event from the graph
  // cursor, and the settings dialog's four kinds of marks.
  void OnPrevEvent();
  void OnNextEvent();
  void OnIconKind(int index, int state);

  // The event list's choice (event_list_window.cpp): opens the recording
  // and, once it is open, seeks to the event's record.
  void ShowEvent(const QString& path, qint64 offsetMs);
  void SeekToPendingEvent();
  int RowOf(const QString& path) const;
  // Gives the graph the switches and the open recording's track state.
  void UpdateGraphState();

  // Guards the current recording index and the catalogue's entries against
  // the worker threads that copy a path out of them.
  std::recursive_mutex* mutexCache_ = nullptr;
  // Serialises the rebuilding of the map's event marks.
  std::recursive_mutex* mutexCpSet_ = nullptr;

  PlayerEngineOps ops_{};
  std::unique_ptr<PlayerEngineState> engine_;

  int currentIndex_ = -1;
  bool openComplete_ = false;
  bool readyToOpen_ = true;
  bool busy_ = false;
  bool continuousPlay_ = false;
  bool nothingShown_ = true;
  int pendingSyncFrame_ = -1;
  int volumeLevel_ = 0;
  bool keepAspect_ = false;
  bool atEndOfMovie_ = false;
  bool playAfterOpen_ = false;
  bool fullScreen_ = false;
  bool nearEndShown_ = false;  // the tick has disabled the playback controls near the end
  bool shutDown_ = false;
  bool csvExportAvailable_ = false;
  // Shown on the G-sensor graph and sent to the map, per event channel.
  EventChannelSwitches channelSwitches_{};
  // The open recording's event marks (guarded by "hMutexCpSet").
  std::vector<EventMark> eventList_;
  // Whether the open recording's impacts count as events: off for the
  // triggers A and P.
  bool gMarks_ = true;
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

  CMovieStatic* video_ = nullptr;
  CFilerContainer* filer_ = nullptr;
  CFileListCtrl* fileList_ = nullptr;  // the browser's list
  CInfoDlg* infoDlg_ = nullptr;
  CEventListDlg* eventListDlg_ = nullptr;
  // The event chosen in the event list while its recording opens.
  struct PendingEvent {
    QString path;
    std::int32_t sequence = 0;
  };
  std::optional<PendingEvent> pendingEvent_;
  CGSensorDlg* gSensorDlg_ = nullptr;
  // The views that SyncViewsToFrame hands each frame's values to.
  std::vector<FrameView*> frameViews_;
  CSkinSliderCtrl* seekSlider_ = nullptr;
  CSkinSliderCtrl* volumeSlider_ = nullptr;
  CSkinButton* playButton_ = nullptr;
  std::array<CSkinButton*, 13> barButtons_{};
  std::array<CSkinButton*, 3> titleButtons_{};
  CSkinProgressBarCtrl* progressBar_ = nullptr;
  CSettingDlg* settingDlg_ = nullptr;

  // The command worker: cleared to ask it to stop at its next item.
  std::atomic<bool> commandRunning_{false};
  std::thread commandWorker_;
  bool doneMessagePending_ = false;
  bool rewindAfterWork_ = false;
  bool resumeFramePending_ = false;
  int resumeFrame_ = 0;
  // What a worker leaves for the UI thread when it is done: the error box
  // to show, the settings to write, what follows.
  struct WorkOutcome {
    QString errorText;
    QString rememberKey;
    QString rememberFolder;
    bool done = false;          // the job was done: "完了しました。"
    bool clearRewind = false;   // the join did not get as far as its first recording
    bool deleteWalked = false;  // the delete command walked its files
  };
  // Closes the movie while a command works on its file; the recording stays
  // the current one, to be opened again.
  void CloseMovieForWork();
  // Ends a command whose dialog was cancelled before its worker started.
  void EndCommandBeforeWork();
  // The delete command's end on the UI thread: the catalogue and the list
  // without the trashed files.
  void FinishDelete();
  WorkOutcome workOutcome_;
  std::mutex workOutcomeMutex_;
  bool controlsDisabledByCommand_ = false;
  int windowMode_ = 0;
  bool zoomMode_ = false;
  QLabel* rateLabel_ = nullptr;
  CObdDlg* obdDlg_ = nullptr;
  QSize metersSize_;  // the meters window's size, taken at start-up
  QPointer<CUpdateDialog> updateDialog_;
  // Last, so that its thread has stopped before the rest goes.
  CUpdateCheck updateCheck_;

  std::unique_ptr<CGoogleMapDlgWrap> map_;
  std::unique_ptr<MapPositionView> mapPositionView_;
  std::vector<std::filesystem::path> mapGroupPaths_;
  bool marksBuilt_ = false;
  bool mapPageReady_ = false;
  bool mapPositionSet_ = false;
  bool pictureShown_ = false;
  bool mapUnavailable_ = false;

  bool dragging_ = false;
  QPoint dragOffset_;

  // Window modes, full screen and zoom (main_layout.cpp, full_screen.cpp,
  // zoom_view.cpp).
 public:
  // Lays the window out for its window mode (0, 1 or 2), with the mode's
  // default zoom view; while full screen, the full-screen layout instead,
  // and without an open movie full screen is left.
  void ApplyWindowMode();
  // The size button (command 15): the next window mode, kept on the screen.
  void OnWindowSize();
  // The full-screen request of a double-click on the picture (also the f
  // and Esc keys): toggles when no command has disabled the controls, the
  // list is not empty and the open is complete; otherwise it re-applies the
  // current state.
  void OnToggleFullScreen() override;
  // Enters or leaves full screen (toggle) or re-applies the current state;
  // full screen is not entered within the last 10 frames.
  void ToggleFullScreen(bool toggle);
  bool fullScreen() const { return fullScreen_; }
  // Zoom mode (command 38008) on or off; off also resets the zoom view.
  void SetZoomMode(bool on);
  // The mode's default zoom view, not yet given to the engine.
  void ResetZoomView();
  // A hold at `point` of the video surface in zoom mode: one zoom step.
  void ZoomStep(const QPoint& point);
  const ZoomView& zoomView() const { return zoomView_; }
  // The window's top-left corner outside full screen.
  QPoint savedPosition() const { return savedPosition_; }

 private:
  // The video surface's hold (0x825F).
  void OnZoomClick(int keyFlags, const QPoint& point) override;
  // Places every child for the window mode, without the engine's layout.
  void PlaceWindowModeChildren();
  void EnterFullScreen();
  // `movieClosed`: leaving because the movie closed, so the play button
  // keeps its look.
  void LeaveFullScreen(bool movieClosed);
  // The full-screen layout: every child hidden but the picture, which
  // fills the screen.
  void PlaceFullScreenChildren();
  // Gives the engine the zoom view, repainting the picture when asked.
  void ApplyZoomView(int repaint);

  ZoomView zoomView_ = DefaultZoomView(0);
  QPoint savedPosition_;
  // The information panel's compact form of mode 2, drawn by the window
  // and repainted with every frame by its view.
  QRect compactInfoRect_;
  std::unique_ptr<FrameView> compactInfoView_;

  // The keyboard (key_commands.cpp): the keys of the key table, while the
  // window or the video surface has the focus and neither a dialog nor a
  // command worker runs.
 public:
  // The key help while it is open.
  CKeyHelpDlg* keyHelpDlg() const { return keyHelpDlg_; }

 protected:
  // Keys pressed on the window's children come to the window's key table
  // first (see key_commands.cpp).
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  // No dialog is open and no command works: the keys may act.
  bool KeysActive() const;
  // Whether the binding's action may run now: a command only when its
  // button would be enabled, the picture steps and seeks with an open movie.
  bool KeyActionAvailable(int action);
  void RunKeyAction(int action);
  // One picture forward (+1) or back (-1), paused, the views following;
  // false when there was none to show.
  bool StepPictureBy(int direction);
  // A step key held down: steps follow at the picture rate from the first
  // repeat of the key until its release, never faster than they are shown.
  void StartStepRepeat(int direction);
  void OnStepRepeat();
  void SeekBySeconds(int seconds);
  void SetNormalRate();
  void ToggleMute();
  void ShowKeyHelp();

  QBasicTimer stepRepeat_;
  int stepRepeatDirection_ = 0;
  // Since the last repeat of the held step key.
  QElapsedTimer sinceStepRepeatKey_;
  // The volume before mute; empty while not muted.
  std::optional<int> mutedLevel_;
  CKeyHelpDlg* keyHelpDlg_ = nullptr;

  // Notifications, end of movie, continuous play across folders and the
  // shutdown (window_messages.cpp, continuous_play.cpp,
  // browser_notifications.cpp, shutdown.cpp).
 public:
  // Playback goes on across folders: set when the last recording of a
  // folder ended, cleared once the next folder's first recording plays.
  bool continuousPlay() const { return continuousPlay_; }
  // The shutdown has run: the engine is down and no message is handled.
  bool shutDown() const { return shutDown_; }
  // The mount point that holds the program's own executable.
  const QString& programMountPoint() const { return programMountPoint_; }
  // Ends the window after its shutdown (closing it, the close command, a
  // lost medium that the program runs from).
  void done(int result) override;

 private:
  // WM_APP_REFRESH: the seek slider's range (lParam -1), or frame lParam
  // shown again, with the picture placed anew when wParam is 1.
  void OnRefresh(std::intptr_t wParam, std::intptr_t lParam);
  // WM_APP_RELAYOUT: the picture placed again with the zoom view, unpainted.
  void OnRelayout();
  // 0x8262: an open finished (lParam 1), the wait over, the play button set
  // from wParam (1 playing).
  void OnOpenFinished(std::intptr_t wParam, std::intptr_t lParam);
  // The advance of WM_APP+1, WM_SLOW_END and the graph's completion: the
  // next recording of the list, but no next folder.
  void AdvanceWithinFolder();
  // After the last recording of a folder: the next folder of the tree, or,
  // with none, the end of continuous playback.
  void ContinueWithNextFolder();
  // The tree's choice moved: WM_APP_FOLDER_CHANGED is posted unless the
  // source is being applied.
  void OnFolderChosen();
  // WM_APP_FOLDER_CHANGED: the chosen folder's first recording opens, or the
  // first of the next folder that has recordings.
  void OnFolderChanged();

  QString programMountPoint_;
};
