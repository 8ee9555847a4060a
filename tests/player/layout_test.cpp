#include "player/layout.h"

#include <gtest/gtest.h>

namespace {

LayoutInput Surface(int width, int height) {
  LayoutInput input;
  input.clientWidth = width;
  input.clientHeight = height;
  input.zoomCentreX = width / 2;
  input.zoomCentreY = height / 2;
  return input;
}

TEST(Layout, ZoomsAboutTheCentreAndPans) {
  struct Case {
    int cx, cy, panX, panY;
    float zoom;
    LayoutRect expected;
  };
  const Case cases[] = {
      {320, 180, 0, 0, 1.0f, {0, 0, 640, 360}},
      {320, 180, 0, 0, 2.0f, {-320, -180, 960, 540}},
      {0, 0, 0, 0, 2.0f, {0, 0, 1280, 720}},
      {160, 90, 0, 0, 3.0f, {-320, -180, 1600, 900}},
      {320, 180, 25, -10, 2.0f, {-295, -190, 985, 530}},
      {320, 180, 0, 0, 0.5f, {160, 90, 480, 270}},
  };
  for (const Case& c : cases) {
    LayoutInput input = Surface(640, 360);
    input.zoomCentreX = c.cx;
    input.zoomCentreY = c.cy;
    input.panX = c.panX;
    input.panY = c.panY;
    input.zoom = c.zoom;
    const auto layout = ComputeLayout(input);
    ASSERT_TRUE(layout.has_value()) << c.zoom;
    EXPECT_EQ(layout->videoRect, c.expected) << c.cx << "," << c.cy << " x" << c.zoom;
    EXPECT_EQ(layout->pictureRect, c.expected);
  }
}

TEST(Layout, RefusesZeroZoomAndInsideOutRectangles) {
  LayoutInput input = Surface(640, 360);
  input.zoom = 0.0f;
  EXPECT_FALSE(ComputeLayout(input).has_value());
  input.zoom = -1.0f;  // right edge left of the left edge
  EXPECT_FALSE(ComputeLayout(input).has_value());
  input = Surface(0, 0);
  EXPECT_FALSE(ComputeLayout(input).has_value());
}

TEST(Layout, KeepsTheAspectRatioWithTwoExtraPixels) {
  // A 16:9 picture in a 4:3 surface: bands above and below.
  LayoutInput input = Surface(640, 480);
  input.keepAspect = true;
  input.videoWidth = 1280;
  input.videoHeight = 720;
  auto layout = ComputeLayout(input);
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->videoRect, (LayoutRect{0, 0, 640, 480}));
  EXPECT_EQ(layout->pictureRect, (LayoutRect{0, 60, 642, 422}));
  // A 4:3 picture in a 16:9 surface: bands left and right.
  input = Surface(640, 360);
  input.keepAspect = true;
  input.videoWidth = 640;
  input.videoHeight = 480;
  layout = ComputeLayout(input);
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->pictureRect, (LayoutRect{80, 0, 562, 362}));
  // Without a known picture size nothing is fitted.
  input.videoWidth = 0;
  layout = ComputeLayout(input);
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->pictureRect, (LayoutRect{0, 0, 640, 360}));
}

}  // namespace
