#include "controls/skin_button.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {

// Four 12 x 12 frames in red, green, blue and grey, each with a black
// (transparent) left column.
QImage Strip() {
  QImage strip(48, 12, QImage::Format_RGB32);
  const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::gray};
  QPainter p(&strip);
  for (int i = 0; i < 4; ++i) {
    p.fillRect(i * 12, 0, 12, 12, colours[i]);
    p.fillRect(i * 12, 0, 1, 12, Qt::black);
  }
  return strip;
}

QColor Centre(CSkinButton& button) { return button.grab().toImage().pixelColor(6, 6); }

TEST(SkinButton, FrameFollowsTheState) {
  QWidget parent;
  parent.resize(100, 100);
  auto* button = new CSkinButton(&parent);
  ASSERT_TRUE(button->Create(Strip(), QRect(10, 10, 12, 12), 38700));
  EXPECT_EQ(button->objectName(), QStringLiteral("38700"));
  EXPECT_EQ(button->geometry(), QRect(10, 10, 12, 12));
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

  EXPECT_EQ(button->CurrentFrame(), CSkinButton::kRest);
  EXPECT_EQ(Centre(*button), QColor(Qt::red));
  // Black is transparent: the button's dark background shows.
  EXPECT_EQ(button->grab().toImage().pixelColor(0, 6), CSkinButton::Background());

  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(15, 15));
  QCoreApplication::sendEvent(button, &enter);
  EXPECT_EQ(button->CurrentFrame(), CSkinButton::kHover);
  EXPECT_EQ(Centre(*button), QColor(Qt::green));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(button, &leave);
  EXPECT_EQ(button->CurrentFrame(), CSkinButton::kRest);

  button->SetLatched(true);
  EXPECT_EQ(Centre(*button), QColor(Qt::blue));
  QCoreApplication::sendEvent(button, &enter);
  EXPECT_EQ(button->CurrentFrame(), CSkinButton::kPressed) << "latched wins over hover";
  QCoreApplication::sendEvent(button, &leave);
  button->SetLatched(false);
  button->setDown(true);
  EXPECT_EQ(button->CurrentFrame(), CSkinButton::kPressed);
  button->setDown(false);

  button->setEnabled(false);
  EXPECT_EQ(Centre(*button), QColor(Qt::gray));
  button->setEnabled(true);

  // A hidden button draws nothing, not even its background.
  parent.setStyleSheet(QStringLiteral("background:#123456;"));
  button->SetHiddenFlag(true);
  const QImage shown = parent.grab().toImage();
  EXPECT_EQ(shown.pixelColor(16, 16), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(shown.pixelColor(10, 16), QColor(0x12, 0x34, 0x56));
}

TEST(SkinButton, ClicksReachTheOwnerAndStripsAreChecked) {
  QWidget parent;
  auto* button = new CSkinButton(&parent);
  EXPECT_FALSE(button->Create(QImage(36, 12, QImage::Format_RGB32), QRect(0, 0, 12, 12), 1))
      << "three frames only";
  EXPECT_FALSE(button->Create(Strip(), QRect(0, 0, 12, 13), 1)) << "frames too low";
  ASSERT_TRUE(button->Create(Strip(), QRect(0, 0, 12, 12), 1));
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  QSignalSpy clicked(button, &QAbstractButton::clicked);
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
  EXPECT_EQ(clicked.count(), 1);

  QImage other = Strip();
  other.fill(Qt::yellow);
  ASSERT_TRUE(button->ReplaceBitmap(other));
  EXPECT_EQ(Centre(*button), QColor(Qt::yellow));
}

}  // namespace
