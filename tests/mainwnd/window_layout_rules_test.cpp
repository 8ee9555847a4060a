// The window's places in its three modes, the size button's tooltip, the
// keep-on-screen rule and the zoom steps, against the recorder viewer's
// fixed numbers.
#include "mainwnd/window_layout_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include "player/layout.h"

namespace {

struct ModeCase {
  int mode;
  QRect video, seekSlider, infoPanel;
  bool infoShown;
  QRect graph, map, browser;  // empty: hidden
  int buttonTop;
  std::vector<int> buttonX;  // per bar button; -1: hidden
  int tooltip;
  QPoint zoomCentre;
};

TEST(WindowLayoutRules, PlacesEveryChildOfTheThreeModes) {
  const std::vector<int> allThirteen = {20,  67,  114, 161, 208, 255, 302,
                                        349, 396, 473, 520, 567, 614};
  const ModeCase cases[] = {
      {0,
       {6, 24, 656, 373},
       {6, 397, 560, 10},
       {6, 407, 656, 67},
       true,
       {6, 474, 656, 186},
       {662, 24, 452, 392},
       {668, 422, 446, 237},
       665,
       allThirteen,
       8,
       {328, 186}},
      {1,
       {6, 24, 868, 493},
       {6, 517, 772, 10},
       {6, 527, 868, 133},
       true,
       {},
       {},
       {880, 24, 234, 634},
       664,
       allThirteen,
       7,
       {434, 246}},
      {2,
       {6, 24, 1108, 628},
       {6, 652, 1012, 10},
       {10, 648, 1100, 10},
       false,
       {},
       {},
       {},
       664,
       {20, 67, 114, 161, 208, 255, -1, -1, 302, -1, -1, -1, -1},
       18,
       {554, 314}},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.mode);
    const WindowLayout layout = WindowLayoutFor(c.mode);
    EXPECT_EQ(layout.video.rect, c.video);
    EXPECT_EQ(layout.seekSlider.rect, c.seekSlider);
    // The time readout ends the slider's row at the video's right edge.
    EXPECT_EQ(layout.timeReadout.rect.left(), c.seekSlider.right() + 1);
    EXPECT_EQ(layout.timeReadout.rect.right(), c.video.right());
    EXPECT_EQ(layout.timeReadout.rect.center().y(), c.seekSlider.center().y());
    EXPECT_TRUE(layout.timeReadout.shown);
    EXPECT_EQ(layout.infoPanel.rect, c.infoPanel);
    EXPECT_EQ(layout.infoPanel.shown, c.infoShown);
    EXPECT_EQ(layout.infoLayout, c.mode);
    for (const auto& [place, expected] :
         {std::pair{layout.graph, c.graph}, {layout.map, c.map}, {layout.browser, c.browser}}) {
      EXPECT_EQ(place.shown, !expected.isEmpty());
      if (place.shown) {
        EXPECT_EQ(place.rect, expected);
      }
    }
    EXPECT_EQ(layout.browserLayout, c.mode == 1 ? 1 : 0);
    EXPECT_EQ(layout.compactInfo.isEmpty(), c.mode != 2);
    for (int i = 0; i < kBarButtonCount; ++i) {
      SCOPED_TRACE(i);
      const PanelPlace& button = layout.barButtons[i];
      EXPECT_EQ(button.shown, c.buttonX[i] >= 0);
      if (button.shown) {
        EXPECT_EQ(button.rect, QRect(c.buttonX[i], c.buttonTop, 32, 32));
      }
    }
    EXPECT_EQ(layout.titleButtons[kTitleClose].rect, QRect(1064, 0, 46, 18));
    EXPECT_EQ(layout.titleButtons[kTitleSize].rect, QRect(1038, 0, 26, 18));
    EXPECT_EQ(layout.titleButtons[kTitleMinimise].rect, QRect(1012, 0, 26, 18));
    for (const PanelPlace& title : layout.titleButtons) EXPECT_TRUE(title.shown);
    EXPECT_EQ(layout.volumeSlider.rect, QRect(1000, 670, 100, 20));
    EXPECT_EQ(WindowSizeTooltip(c.mode), c.tooltip);
    EXPECT_EQ(NextWindowMode(c.mode), (c.mode + 1) % 3);
    EXPECT_EQ(DefaultZoomView(c.mode), (ZoomView{c.zoomCentre.x(), c.zoomCentre.y(), 0, 0, 1.0f}));
  }
  // The compact strip of mode 2 lies between its seventh button and the
  // volume slider, under the seek slider.
  const WindowLayout large = WindowLayoutFor(2);
  EXPECT_GT(large.compactInfo.left(), large.barButtons[kCmdZoom - kFirstBarCommand].rect.right());
  EXPECT_LT(large.compactInfo.right(), large.volumeSlider.rect.left());
  EXPECT_GE(large.compactInfo.top(), large.seekSlider.rect.bottom());
  EXPECT_LE(large.compactInfo.bottom(), kWindowHeight - 1);
}

TEST(WindowLayoutRules, KeepsTheWindowInsideTheAvailableArea) {
  const QSize window(kWindowWidth, kWindowHeight);
  struct Case {
    QPoint at;
    QRect area;
    QPoint expected;
  } cases[] = {
      {{100, 50}, {0, 0, 1280, 800}, {100, 50}},        // inside: stays
      {{-200, -40}, {0, 0, 1280, 800}, {0, 0}},         // off the left and the top
      {{500, 300}, {0, 0, 1280, 800}, {160, 100}},      // beyond the right and the bottom
      {{-10, 120}, {0, 0, 1280, 800}, {0, 100}},        // off the left, beyond the bottom
      {{10, 0}, {0, 30, 1920, 1050}, {10, 30}},         // under a panel at the top
      {{1900, 10}, {1920, 0, 1920, 1080}, {1920, 10}},  // a second screen on the right
      {{100, 100}, {0, 0, 800, 600}, {-320, -100}},     // larger than the area: its right
                                                        // and bottom stay on it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.at.x() << "," << c.at.y());
    EXPECT_EQ(KeepInsideArea(QRect(c.at, window), c.area), c.expected);
  }
}

// Where the source pixel under `point` lies in a picture laid out over
// `rect`, as a fraction of the picture.
QPointF SourceFraction(const LayoutRect& rect, const QPoint& point) {
  return {(point.x() - rect.left) / double(rect.width()),
          (point.y() - rect.top) / double(rect.height())};
}

TEST(WindowLayoutRules, ZoomStepsKeepTheHeldPointAndReturnToTheDefault) {
  const int width = 652;
  const int height = 369;
  for (int mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(mode);
    ZoomView view = DefaultZoomView(mode);
    LayoutRect rect{0, 0, width, height};
    const QPoint holds[] = {{100, 50}, {300, 200}, {500, 300}, {40, 330}};
    const float factors[] = {2.0f, 3.0f, 1.0f, 2.0f};
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      const std::optional<ZoomView> next =
          ZoomStepView(view, mode, width, holds[i], rect.right, rect.top);
      ASSERT_TRUE(next.has_value());
      EXPECT_EQ(next->zoom, factors[i]);
      LayoutInput input{width,      height,     next->centreX, next->centreY,
                        next->panX, next->panY, next->zoom};
      const std::optional<LayoutResult> laid = ComputeLayout(input);
      ASSERT_TRUE(laid.has_value());
      if (next->zoom == 1.0f) {
        EXPECT_EQ(*next, DefaultZoomView(mode)) << "past 3 the view is the mode's default";
        EXPECT_EQ(laid->videoRect, (LayoutRect{0, 0, width, height}));
      } else {
        // The source pixel under the hold stays under it, within the
        // truncations of the centre and the layout.
        const QPointF before = SourceFraction(rect, holds[i]);
        const QPointF after = SourceFraction(laid->videoRect, holds[i]);
        EXPECT_NEAR(before.x(), after.x(), 2.0 / laid->videoRect.width());
        EXPECT_NEAR(before.y(), after.y(), 2.0 / laid->videoRect.height());
      }
      view = *next;
      rect = laid->videoRect;
    }
  }
  // The first step from the default at (100, 50): centre there, no pan.
  EXPECT_EQ(ZoomStepView(DefaultZoomView(0), 0, width, {100, 50}, width, 0),
            (ZoomView{100, 50, 0, 0, 2.0f}));
  // The second, at (300, 200) over the picture (-100, -50)-(1204, 688):
  // centre x 652 + 300 - trunc((300 + 1204) / 2) = 200, y 200 - trunc(150 / 2) = 125.
  EXPECT_EQ(ZoomStepView({100, 50, 0, 0, 2.0f}, 0, width, {300, 200}, 1204, -50),
            (ZoomView{200, 125, 100, 75, 3.0f}));
  // Nothing without a surface or with a factor that cannot step.
  EXPECT_FALSE(ZoomStepView(DefaultZoomView(0), 0, 0, {10, 10}, 0, 0).has_value());
  EXPECT_FALSE(ZoomStepView({1, 1, 0, 0, -1.0f}, 0, width, {10, 10}, width, 0).has_value());
  EXPECT_FALSE(ZoomStepView({1, 1, 0, 0, 0.0f}, 0, width, {10, 10}, width, 0).has_value());
}

}  // namespace
