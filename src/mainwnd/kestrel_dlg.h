#pragma once

#include <QDialog>
#include <QPoint>
#include <array>
#include <memory>

#include "browser/source_rules.h"
#include "mainwnd/button_rules.h"
#include "mainwnd/clip_marks.h"
#include "mainwnd/command_runner.h"
#include "mainwnd/key_commands.h"
#include "mainwnd/map_and_event_marks.h"
#include "mainwnd/meters_and_update.h"
#include "mainwnd/playback_coordinator.h"
#include "mainwnd/window_modes.h"
#include "player/movie_static_owner.h"
#include "player/player_engine_ops.h"
#include "player/player_engine_state.h"

class CFileListCtrl;
class CFilerContainer;
class CGSensorDlg;
class CInfoDlg;
class CMovieStatic;
class CSettingDlg;
class CSkinButton;
class CSkinProgressBarCtrl;
class CSkinSliderCtrl;
class QLabel;

// The viewer's main window: a frameless 1120 x 700 dialog that draws its own
// title and can be dragged by any part of its own surface. It owns the player
// engine, its children and one object per concern (playback, the command
// worker, the window modes, the map and event marks, the keys, the meters and
// the update check, the clip's marks), and hands each message posted to it to the concern's
// object. Its start-up and shutdown set the order in which they begin and end.
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

  // The concerns.
  PlaybackCoordinator& playback() const { return *playback_; }
  CommandRunner& commands() const { return *commands_; }
  WindowModes& windowModes() const { return *windowModes_; }
  MapAndEventMarks& mapAndMarks() const { return *mapAndMarks_; }
  KeyCommands& keys() const { return *keys_; }
  MetersAndUpdate& meters() const { return *meters_; }
  ClipMarks& clipMarks() const { return *clipMarks_; }

  PlayerEngineState* engineState() const { return engine_.get(); }
  const PlayerEngineOps& engineOps() const { return ops_; }

  // The children.
  CFileListCtrl* fileList() const { return fileList_; }
  CFilerContainer* filer() const { return filer_; }
  CInfoDlg* infoDlg() const { return infoDlg_; }
  CGSensorDlg* gSensorDlg() const { return gSensorDlg_; }
  CSkinSliderCtrl* seekSlider() const { return seekSlider_; }
  CSkinSliderCtrl* volumeSlider() const { return volumeSlider_; }
  CMovieStatic* videoSurface() const { return video_; }
  CSkinButton* playButton() const { return playButton_; }
  const std::array<CSkinButton*, kBarButtonCount>& barButtons() const { return barButtons_; }
  // The control-bar button of `command` (38000..38012) or a title button
  // (13, 14, 15); null for any other id.
  CSkinButton* commandButton(int command) const;
  CSkinProgressBarCtrl* progressBar() const { return progressBar_; }
  CSettingDlg* settingDlg() const { return settingDlg_; }
  QLabel* rateLabel() const { return rateLabel_; }
  // Beside the seek slider: where the open recording is ("0:23 / 1:00").
  QLabel* timeReadout() const { return timeReadout_; }
  QString rateLabelText() const;

  // Runs a command of the control bar, the title buttons or the popup menu.
  void OnCommand(int command);
  // Lists a source as the source dialog's choice does: the CSV export is
  // available for a memory card with recordings only.
  bool ListSource(SourceKind kind, const QString& path);
  // Only a memory card with recordings can be listed as CSV.
  bool csvExportAvailable() const { return csvExportAvailable_; }
  void SetCsvExportAvailable(bool available) { csvExportAvailable_ = available; }

  // The control bar and the title buttons (control_bar.cpp).
  void UpdateButtons();
  // What every control-bar button would be now.
  ButtonStates CurrentButtonStates() const;
  void SetPlayButtonLook(bool pauseLook);
  void EnableControls(bool enable);
  void EnablePlaybackControls(bool enable);
  // Every control of the window, for a command that writes files.
  void EnableAllControls(bool enable);
  // A command has disabled the controls, from its first dialog until its
  // worker is done.
  bool controlsDisabledByCommand() const { return controlsDisabledByCommand_; }

  // The shutdown has run: the engine is down and no message is handled.
  bool shutDown() const { return shutDown_; }
  // The mount point that holds the program's own executable.
  const QString& programMountPoint() const { return programMountPoint_; }
  // Ends the window after its shutdown (closing it, the close command, a
  // lost medium that the program runs from).
  void done(int result) override;

 signals:
  // The recording at `index` is about to open.
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
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  // What the video surface reports.
  void OnEndOfMovie(std::intptr_t wParam, std::intptr_t lParam) override;
  void OnMediaOpened(std::intptr_t wParam, std::intptr_t lParam) override;
  void OnMediaOpenFailed() override;
  void OnReverseStopped(bool failed) override;
  void OnGraphNotify(std::intptr_t wParam, std::intptr_t lParam) override;
  void OnPopupMenu(const QPoint& screenPoint) override;
  void OnZoomClick(int keyFlags, const QPoint& point) override;
  void OnToggleFullScreen() override;

  // Start-up and shutdown, in order.
  void OnInitDialog();
  void Shutdown();
  void CreateChildControls();
  void CreateControlBar();
  void SetListedSourceCsv();
  // The recorder's clock from the settings file: its offset in the
  // information panel and its zone for absolute times; at start-up and
  // when the settings window changed them.
  void TakeClockSettings();

  // The source command (38009): the source dialog over a fresh list.
  void OnChooseSource();

  // What the recording browser reports (browser_notifications.cpp).
  void OnSourceLost();
  void OnBrowserRowsRebuilt();
  void OnFolderChosen();

  // WM_APP_REFRESH: the seek slider's range (lParam -1), or frame lParam
  // shown again, with the picture placed anew when wParam is 1.
  void OnRefresh(std::intptr_t wParam, std::intptr_t lParam);
  // 0x8262: an open finished (lParam 1), the wait over, the play button set
  // from wParam (1 playing).
  void OnOpenFinished(std::intptr_t wParam, std::intptr_t lParam);

  PlayerEngineOps ops_{};
  std::unique_ptr<PlayerEngineState> engine_;
  // In this order: the meters' update check stops its thread first, the
  // playback's workers are joined by the shutdown before any goes.
  std::unique_ptr<PlaybackCoordinator> playback_;
  std::unique_ptr<CommandRunner> commands_;
  std::unique_ptr<WindowModes> windowModes_;
  std::unique_ptr<MapAndEventMarks> mapAndMarks_;
  std::unique_ptr<KeyCommands> keys_;
  std::unique_ptr<MetersAndUpdate> meters_;
  std::unique_ptr<ClipMarks> clipMarks_;

  CMovieStatic* video_ = nullptr;
  CFilerContainer* filer_ = nullptr;
  CFileListCtrl* fileList_ = nullptr;  // the browser's list
  CInfoDlg* infoDlg_ = nullptr;
  CGSensorDlg* gSensorDlg_ = nullptr;
  CSkinSliderCtrl* seekSlider_ = nullptr;
  CSkinSliderCtrl* volumeSlider_ = nullptr;
  CSkinButton* playButton_ = nullptr;
  std::array<CSkinButton*, kBarButtonCount> barButtons_{};
  std::array<CSkinButton*, 3> titleButtons_{};
  CSkinProgressBarCtrl* progressBar_ = nullptr;
  CSettingDlg* settingDlg_ = nullptr;
  QLabel* rateLabel_ = nullptr;
  QLabel* timeReadout_ = nullptr;

  bool csvExportAvailable_ = false;
  bool controlsDisabledByCommand_ = false;
  bool shutDown_ = false;
  bool missingDecoderShown_ = false;
  QString programMountPoint_;
  bool dragging_ = false;
  QPoint dragOffset_;
};
