#include "player/off_screen_dc.h"

#include <gtest/gtest.h>

namespace {

TEST(COffScreenDC, PaintsOffScreenAndCopiesAPart) {
  COffScreenDC dc(QSize(40, 30));
  ASSERT_TRUE(dc.isValid());
  EXPECT_EQ(dc.image().pixelColor(5, 5), QColor(Qt::black));  // starts black
  dc.painter().fillRect(QRect(10, 10, 10, 5), Qt::red);

  QImage screen(20, 20, QImage::Format_RGB32);
  screen.fill(Qt::white);
  {
    QPainter painter(&screen);
    dc.CopyTo(painter, QPoint(2, 3), QRect(10, 10, 10, 5));
  }
  EXPECT_EQ(screen.pixelColor(2, 3), QColor(Qt::red));
  EXPECT_EQ(screen.pixelColor(11, 7), QColor(Qt::red));
  EXPECT_EQ(screen.pixelColor(12, 3), QColor(Qt::white));
  EXPECT_EQ(screen.pixelColor(2, 8), QColor(Qt::white));

  COffScreenDC empty(QSize(0, 0));
  EXPECT_FALSE(empty.isValid());
}

}  // namespace
