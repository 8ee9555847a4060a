#pragma once

// The window's layout: the three window modes, full screen and zoom.

#include <QPoint>
#include <QRect>
#include <memory>

#include "mainwnd/window_layout_rules.h"
#include "player/player_engine_ops.h"
#include "player/player_engine_state.h"

class CKestrelDlg;
class FrameView;

// Places the main window's children for its window mode (0, 1 or 2) or
// full screen, and keeps the zoom view the engine lays the picture out with.
class WindowModes {
 public:
  WindowModes(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine);
  ~WindowModes();

  // The compact information strip of mode 2, repainted with every frame;
  // made with the children.
  FrameView* CreateCompactInfoView();
  // Lays the window out for its window mode, with the mode's default zoom
  // view; while full screen, the full-screen layout instead, and without an
  // open movie full screen is left.
  void ApplyWindowMode();
  // The size button (command 15): the next window mode, kept on the screen.
  void OnWindowSize();
  // The full-screen request of a double-click on the picture (also the f
  // and Esc keys): toggles when no command has disabled the controls, the
  // list is not empty and the open is complete; otherwise it re-applies the
  // current state.
  void OnToggleFullScreen();
  // Enters or leaves full screen (toggle) or re-applies the current state;
  // full screen is not entered within the last 10 frames.
  void ToggleFullScreen(bool toggle);
  // The full-screen aspect command (popup menu): keep the aspect or stretch.
  void OnFullScreenAspect();
  // The zoom command (38008).
  void OnZoomMode();
  // Zoom mode on or off; off also resets the zoom view.
  void SetZoomMode(bool on);
  // The mode's default zoom view, not yet given to the engine.
  void ResetZoomView();
  // Gives the engine the zoom view, repainting the picture when asked.
  void ApplyZoomView(int repaint);
  // A hold at `point` of the video surface in zoom mode: one zoom step.
  void ZoomStep(const QPoint& point);
  // The window moved or was resized.
  void OnMoved();
  void OnResized();

  int windowMode() const { return windowMode_; }
  bool fullScreen() const { return fullScreen_; }
  bool zoomMode() const { return zoomMode_; }
  const ZoomView& zoomView() const { return zoomView_; }
  // The full-screen aspect setting, read at start-up by LoadKeepAspect.
  void LoadKeepAspect();
  bool keepAspect() const { return keepAspect_; }
  // The window's top-left corner outside full screen.
  QPoint savedPosition() const { return savedPosition_; }
  // Where mode 2 draws the information panel's compact form; empty otherwise.
  const QRect& compactInfoRect() const { return compactInfoRect_; }

 private:
  // Places every child for the window mode, without the engine's layout.
  void PlaceWindowModeChildren();
  void EnterFullScreen();
  // `movieClosed`: leaving because the movie closed, so the play button
  // keeps its look.
  void LeaveFullScreen(bool movieClosed);
  // The full-screen layout: every child hidden but the picture, which
  // fills the screen.
  void PlaceFullScreenChildren();

  CKestrelDlg& dlg_;
  const PlayerEngineOps& ops_;
  PlayerEngineState* engine_;

  int windowMode_ = 0;
  bool fullScreen_ = false;
  bool zoomMode_ = false;
  bool keepAspect_ = false;
  ZoomView zoomView_ = DefaultZoomView(0);
  QPoint savedPosition_;
  // The information panel's compact form of mode 2, drawn by the window
  // and repainted with every frame by its view.
  QRect compactInfoRect_;
  std::unique_ptr<FrameView> compactInfoView_;
};
