#include "mainwnd/window_layout_rules.h"

#include <cmath>

namespace {

// The video area of each mode, at (6, 24).
constexpr QPoint kVideoOrigin(6, 24);
constexpr std::array<QSize, 3> kVideoSizes = {QSize(656, 373), QSize(868, 493), QSize(1108, 628)};
constexpr int kSliderHeight = 10;
// The time readout takes the right end of the slider's row, standing out a
// little above and below it for its text.
constexpr int kTimeReadoutWidth = 96;
constexpr int kTimeReadoutHeight = 18;
constexpr int kInfoGap = 10;
constexpr int kInfoHeight = 67;
// The G-sensor graph under the information panel, down to 117 pixels above
// the bottom.
constexpr int kGraphGap = 77;
constexpr int kGraphBottom = 117;
constexpr QSize kMapSize(452, 392);
// The browser keeps this far from the map, the video, the edges and the
// control bar.
constexpr int kBrowserMargin = 6;
// Control-bar buttons: 32 x 32, 47 pixels apart, the file group (after the
// ninth placed button) 30 pixels further right.
constexpr int kButtonSize = 32;
constexpr int kButtonLeft = 20;
constexpr int kButtonStep = 47;
constexpr int kGroupGap = 30;
constexpr int kPlaybackGroupSize = 9;
// The seven buttons of mode 2: to start, previous, play, slower, faster,
// next and zoom.
constexpr std::array<int, 7> kLargeVideoButtons = {
    kCmdToStart, kCmdPrevious, kCmdPlayPause, kCmdSlower, kCmdFaster, kCmdNext, kCmdZoom};
constexpr int kTitleHeight = 18;
// The compact information strip of mode 2 starts right of its seventh
// button and ends left of the volume slider.
constexpr int kCompactInfoLeft = 344;
constexpr int kCompactInfoGap = 10;

int ValidMode(int mode) { return mode >= 0 && mode <= 2 ? mode : 0; }

PanelPlace Shown(const QRect& rect) { return {rect, true}; }

bool PlacedInMode(int command, int mode) {
  if (mode != 2) return true;
  for (int placed : kLargeVideoButtons) {
    if (placed == command) return true;
  }
  return false;
}

}  // namespace

WindowLayout WindowLayoutFor(int requestedMode) {
  const int mode = ValidMode(requestedMode);
  const int w = kWindowWidth;
  const int h = kWindowHeight;
  const QRect video(kVideoOrigin, kVideoSizes[mode]);
  const int videoRight = video.x() + video.width();
  const int videoBottom = video.y() + video.height();

  WindowLayout layout;
  layout.video = Shown(video);
  const int sliderWidth = video.width() - kTimeReadoutWidth;
  layout.seekSlider = Shown(QRect(video.x(), videoBottom, sliderWidth, kSliderHeight));
  layout.timeReadout =
      Shown(QRect(video.x() + sliderWidth, videoBottom + (kSliderHeight - kTimeReadoutHeight) / 2,
                  kTimeReadoutWidth, kTimeReadoutHeight));
  layout.volumeSlider = Shown(QRect(w - 120, h - 30, 100, 20));
  layout.infoLayout = mode;
  switch (mode) {
    case 0:
      layout.infoPanel =
          Shown(QRect(video.x(), videoBottom + kInfoGap, video.width(), kInfoHeight));
      layout.graph = Shown(
          QRect(video.x(), videoBottom + kGraphGap, video.width(), h - videoBottom - kGraphBottom));
      layout.map = Shown(QRect(QPoint(videoRight, video.y()), kMapSize));
      {
        const int left = videoRight + kBrowserMargin;
        const int top = video.y() + kMapSize.height() + kBrowserMargin;
        layout.browser =
            Shown(QRect(left, top, w - left - kBrowserMargin, h - 35 - kBrowserMargin - top));
      }
      break;
    case 1:
      layout.infoPanel =
          Shown(QRect(video.x(), videoBottom + kInfoGap, video.width(), h - videoBottom - 50));
      {
        const int left = videoRight + kBrowserMargin;
        layout.browser = Shown(
            QRect(left, video.y(), w - left - kBrowserMargin, h - 36 - kBrowserMargin - video.y()));
      }
      layout.browserLayout = 1;
      break;
    default:
      layout.infoPanel = {
          QRect(video.x() + 4, videoBottom - 4, video.width() - 8, h - videoBottom - 38), false};
      layout.compactInfo =
          QRect(kCompactInfoLeft, videoBottom + kInfoGap,
                w - 120 - kCompactInfoGap - kCompactInfoLeft, h - videoBottom - kInfoGap);
      break;
  }

  const int buttonTop = h - (mode == 0 ? 35 : 36);
  int k = 0;
  for (int i = 0; i < kBarButtonCount; ++i) {
    if (!PlacedInMode(kFirstBarCommand + i, mode)) continue;
    const int x = kButtonLeft + kButtonStep * k + (k >= kPlaybackGroupSize ? kGroupGap : 0);
    layout.barButtons[i] = Shown(QRect(x, buttonTop, kButtonSize, kButtonSize));
    ++k;
  }
  layout.titleButtons[kTitleClose] = Shown(QRect(w - 56, 0, 46, kTitleHeight));
  layout.titleButtons[kTitleSize] = Shown(QRect(w - 82, 0, 26, kTitleHeight));
  layout.titleButtons[kTitleMinimise] = Shown(QRect(w - 108, 0, 26, kTitleHeight));
  return layout;
}

int NextWindowMode(int mode) { return (ValidMode(mode) + 1) % 3; }

int WindowSizeTooltip(int mode) {
  switch (ValidMode(mode)) {
    case 1:
      return 7;
    case 2:
      return 18;
    default:
      return 8;
  }
}

QPoint KeepInsideArea(const QRect& window, const QRect& area) {
  QPoint at = window.topLeft();
  if (at.x() < area.left()) at.setX(area.left());
  if (at.y() < area.top()) at.setY(area.top());
  const int areaRight = area.left() + area.width();
  const int areaBottom = area.top() + area.height();
  if (at.x() + window.width() > areaRight) at.rx() -= at.x() + window.width() - areaRight;
  if (at.y() + window.height() > areaBottom) at.ry() -= at.y() + window.height() - areaBottom;
  return at;
}

ZoomView DefaultZoomView(int mode) {
  const QSize video = kVideoSizes[ValidMode(mode)];
  return {video.width() / 2, video.height() / 2, 0, 0, 1.0f};
}

std::optional<ZoomView> ZoomStepView(const ZoomView& view, int mode, int surfaceWidth,
                                     const QPoint& point, int pictureRight, int pictureTop) {
  // A factor of 0 would divide by zero; only a factor above it can step.
  const float z = view.zoom;
  if (!(z > 0.0f) || surfaceWidth == 0) return std::nullopt;
  const float px = static_cast<float>(point.x());
  const float py = static_cast<float>(point.y());
  const float w = static_cast<float>(surfaceWidth);
  ZoomView next;
  next.centreX = static_cast<int>(
      w + px - std::trunc((px * (z - 1.0f) + static_cast<float>(pictureRight)) / z));
  next.centreY =
      static_cast<int>(py - std::trunc((py * (z - 1.0f) + static_cast<float>(pictureTop)) / z));
  next.panX = point.x() - next.centreX;
  next.panY = point.y() - next.centreY;
  next.zoom = z + 1.0f;
  if (next.zoom > 3.0f) return DefaultZoomView(mode);
  return next;
}
