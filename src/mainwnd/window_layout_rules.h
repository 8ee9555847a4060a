#pragma once

#include <QPoint>
#include <QRect>
#include <array>
#include <optional>

#include "mainwnd/command_ids.h"

// The main window's places in its three window modes (0 the small video
// with the G-sensor graph and the map, 1 the medium video, 2 the large
// video), the size button's tooltip, the rule that keeps the window on the
// screen and the zoom steps of the picture. Rectangles are in the window's
// client pixels; the window is 1120 x 700 in every mode.

inline constexpr int kWindowWidth = 1120;
inline constexpr int kWindowHeight = 700;

struct PanelPlace {
  QRect rect;  // empty for a hidden panel that stays where it was
  bool shown = false;
};

// The title buttons in the order of WindowLayout::titleButtons.
enum TitleButtonIndex : int { kTitleClose = 0, kTitleSize = 1, kTitleMinimise = 2 };

struct WindowLayout {
  PanelPlace video;
  PanelPlace seekSlider;
  PanelPlace timeReadout;  // right of the seek slider
  PanelPlace infoPanel;
  PanelPlace graph;
  PanelPlace map;
  PanelPlace browser;
  PanelPlace volumeSlider;
  // Indexed by command - kFirstBarCommand.
  std::array<PanelPlace, kBarButtonCount> barButtons;
  std::array<PanelPlace, 3> titleButtons;
  // The information panel's drawing: 0 one row, 1 the large form, 2 the
  // compact form that the window draws itself into `compactInfo`.
  int infoLayout = 0;
  QRect compactInfo;
  // The browser's own layout: 0 beside the video under the map, 1 the
  // narrow column beside the medium video.
  int browserLayout = 0;
};

// The places of window mode `mode` (0, 1 or 2; anything else is mode 0).
WindowLayout WindowLayoutFor(int mode);

// The mode after `mode` in the size button's cycle 0 -> 1 -> 2 -> 0.
int NextWindowMode(int mode);

// The UI text slot of the size button's tooltip, naming the next mode:
// 8 "中" in mode 0, 7 "大" in mode 1, 18 "小" in mode 2.
int WindowSizeTooltip(int mode);

// Where a window at `window` goes so that it stays inside `area` (the
// screen's available area): a left or top edge before the area's moves to
// it, then a right or bottom edge beyond the area's moves the window left or
// up by the excess. The size is kept.
QPoint KeepInsideArea(const QRect& window, const QRect& area);

// The picture's zoom: centre and pan in pixels of the video surface, and the
// factor (1, 2 or 3).
struct ZoomView {
  int centreX = 0;
  int centreY = 0;
  int panX = 0;
  int panY = 0;
  float zoom = 1.0f;
  bool operator==(const ZoomView&) const = default;
};

// Factor 1, no pan, the centre at the centre of the mode's video area.
ZoomView DefaultZoomView(int mode);

// One zoom step at a hold at `point` of a video surface `surfaceWidth`
// wide, whose last layout put the picture's right edge at `pictureRight`
// and its top at `pictureTop` (the engine's videoRect): the point under the
// hold stays where it is while the factor grows by one; past 3 the view
// returns to the mode's default. Nothing for a factor below 0 or a surface
// without width.
std::optional<ZoomView> ZoomStepView(const ZoomView& view, int mode, int surfaceWidth,
                                     const QPoint& point, int pictureRight, int pictureTop);
