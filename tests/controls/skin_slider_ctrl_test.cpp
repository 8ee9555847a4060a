#include "controls/skin_slider_ctrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <vector>

#include "base/app_message.h"

namespace {

// The slider's parent: keeps the messages the slider posts.
class SliderParent : public QWidget {
 public:
  struct Message {
    int message;
    std::intptr_t id, position;
  };
  std::vector<Message> messages;

 protected:
  bool event(QEvent* event) override {
    if (auto* m = dynamic_cast<AppMessageEvent*>(event)) {
      messages.push_back({m->message(), m->wParam(), m->lParam()});
      return true;
    }
    return QWidget::event(event);
  }
};

TEST(SkinSliderGeometry, RangeOfOneValueMapsToEitherEnd) {
  EXPECT_EQ(CSkinSliderCtrl::Ratio(0, 5, 5), 0.0);
  EXPECT_EQ(CSkinSliderCtrl::Ratio(1, 5, 5), 1.0);
  EXPECT_EQ(CSkinSliderCtrl::ThumbLeft(0, 200, 10, 0, 0), 0);
  EXPECT_EQ(CSkinSliderCtrl::ThumbLeft(1, 200, 10, 0, 0), 190);
  for (int x : {-5, 0, 100, 199, 250}) EXPECT_EQ(CSkinSliderCtrl::PositionAt(x, 200, 0, 0), 0);
}

TEST(SkinSliderGeometry, PositionsAlongTheTrack) {
  // 0..99: 100 values over 200 pixels, two pixels a value.
  EXPECT_EQ(CSkinSliderCtrl::PositionAt(0, 200, 0, 99), 0);
  EXPECT_EQ(CSkinSliderCtrl::PositionAt(3, 200, 0, 99), 1);
  EXPECT_EQ(CSkinSliderCtrl::PositionAt(199, 200, 0, 99), 99);
  EXPECT_EQ(CSkinSliderCtrl::PositionAt(-8, 200, 0, 99), 0) << "clamped to the minimum";
  EXPECT_EQ(CSkinSliderCtrl::PositionAt(260, 200, 0, 99), 99) << "clamped to the maximum";
  EXPECT_EQ(CSkinSliderCtrl::PositionAt(50, 0, 0, 99), 0) << "no width, no scale";
  EXPECT_EQ(CSkinSliderCtrl::PositionAt(50, 200, 10, 5), 10) << "empty range";
  EXPECT_EQ(CSkinSliderCtrl::Ratio(50, 10, 5), 0.0);
  EXPECT_EQ(CSkinSliderCtrl::ThumbLeft(50, 210, 10, 0, 99), 100);
}

class SkinSlider : public ::testing::Test {
 protected:
  SkinSlider() : slider(38100, &parent) {
    parent.resize(400, 40);
    slider.setGeometry(20, 10, 200, 10);
    slider.SetRangeMax(99);
    LoadDefaultSliderImages(slider, 10);
    parent.show();
  }
  void Deliver() { QCoreApplication::sendPostedEvents(&parent); }

  SliderParent parent;
  CSkinSliderCtrl slider;
};

TEST_F(SkinSlider, PressBandReachesNinePixelsOutsideButNotTen) {
  QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(-10, 5));
  Deliver();
  EXPECT_TRUE(parent.messages.empty());
  EXPECT_FALSE(slider.dragging());
  QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(209, 5));
  Deliver();
  ASSERT_EQ(parent.messages.size(), 1u);
  EXPECT_EQ(parent.messages[0].position, 99);
  QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(209, 5));
  Deliver();
  parent.messages.clear();

  QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(-9, 5));
  Deliver();
  ASSERT_EQ(parent.messages.size(), 1u);
  EXPECT_EQ(parent.messages[0].message, CSkinSliderCtrl::kMessagePress);
  EXPECT_EQ(parent.messages[0].id, 38100);
  EXPECT_EQ(parent.messages[0].position, 0) << "the drag starts at the minimum";
  EXPECT_TRUE(slider.dragging());
  EXPECT_FALSE(slider.pressedOutsideThumb()) << "the thumb sits at 0, within 10 pixels";
}

TEST_F(SkinSlider, PressDragReleaseReportTheTrackedPosition) {
  slider.SetPos(10);
  QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(100, 5));
  EXPECT_TRUE(slider.pressedOutsideThumb());
  QTest::mouseMove(&slider, QPoint(150, 5));
  QTest::mouseMove(&slider, QPoint(215, 5));  // outside the band: not reported
  QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(150, 5));
  Deliver();
  ASSERT_EQ(parent.messages.size(), 3u);
  EXPECT_EQ(parent.messages[0].message, CSkinSliderCtrl::kMessagePress);
  EXPECT_EQ(parent.messages[0].position, 50);
  EXPECT_EQ(parent.messages[1].message, CSkinSliderCtrl::kMessageDrag);
  EXPECT_EQ(parent.messages[1].position, 75);
  EXPECT_EQ(parent.messages[2].message, CSkinSliderCtrl::kMessageRelease);
  EXPECT_EQ(parent.messages[2].position, 75);
  EXPECT_FALSE(slider.dragging());
  EXPECT_EQ(slider.pos(), 10) << "the owner moves the thumb, not the mouse";
}

TEST_F(SkinSlider, DisabledSliderIgnoresPressesAndEndsDragsQuietly) {
  QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(100, 5));
  slider.SetEnabledFlag(false);
  QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(100, 5));
  QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(120, 5));
  Deliver();
  ASSERT_EQ(parent.messages.size(), 1u) << "only the press before disabling";
  EXPECT_FALSE(slider.dragging());
}

TEST_F(SkinSlider, DrawsTheFilledPartUpToThePosition) {
  slider.SetRangeMax(199);
  slider.SetPos(100);
  const QImage shown = slider.grab().toImage();
  const QColor filled = shown.pixelColor(40, 5);
  const QColor empty = shown.pixelColor(170, 5);
  EXPECT_GT(filled.blue(), filled.red() + 80) << "blue track left of the thumb";
  EXPECT_EQ(empty.red(), empty.blue()) << "grey track right of the thumb";
  EXPECT_GT(shown.pixelColor(103, 5).lightness(), 200) << "the white thumb at the position";
}

}  // namespace
