#include "controls/skin_progress_bar_ctrl.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTest>

namespace {

constexpr int kWidth = 200;

// The columns of the label box that hold text: light pixels over the fill,
// dark ones over the rest.
struct LabelInk {
  int left = kWidth, right = -1;
  int overFill = 0, overRest = 0;
};

TEST(SkinProgressBar, FillAndLabelSplitAtThePosition) {
  QWidget parent;
  parent.resize(300, 200);
  auto* bar = new CSkinProgressBarCtrl(&parent);
  auto* reference = new QWidget(&parent);
  reference->setGeometry(20, 30, kWidth, 120);
  EXPECT_EQ(bar->objectName(), QStringLiteral("38102"));
  EXPECT_EQ(bar->accessibleName(), QStringLiteral("progress bar"));
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

  bar->Place(reference);
  EXPECT_EQ(bar->geometry(), QRect(20, 128, kWidth, CSkinProgressBarCtrl::kHeight));
  EXPECT_EQ(parent.childAt(120, 140), bar) << "raised over the reference";

  const struct {
    int minimum, maximum, position, filled;
  } cases[] = {
      {0, 100, 50, 100}, {0, 100, 0, 0},      {0, 100, 100, 200}, {5, 5, 3, 0},
      {10, 0, 5, 0},     {50, 150, 100, 100}, {0, 100, 150, 200}, {0, 100, -20, 0},
  };
  const QColor fill = CSkinProgressBarCtrl::FillColour();
  const QColor rest = CSkinProgressBarCtrl::RestColour();
  EXPECT_EQ(fill, QColor(0, 0, 255));
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.position) + " of " + std::to_string(c.minimum) + ".." +
                 std::to_string(c.maximum));
    bar->SetRange(c.minimum, c.maximum);
    bar->SetPos(c.position);
    EXPECT_EQ(bar->pos(), c.position);
    EXPECT_EQ(CSkinProgressBarCtrl::FilledWidth(kWidth, c.position, c.minimum, c.maximum),
              c.filled);
    const QImage image = bar->grab().toImage();
    ASSERT_EQ(image.size(), QSize(kWidth, CSkinProgressBarCtrl::kHeight));

    const int boxLeft = (kWidth - CSkinProgressBarCtrl::kLabelWidth) / 2;
    const int boxRight = boxLeft + CSkinProgressBarCtrl::kLabelWidth;
    LabelInk ink;
    int wrongBackground = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const QColor pixel = image.pixelColor(x, y);
        const bool overFill = x < c.filled;
        const QColor background = overFill ? fill : rest;
        const bool inBox = x >= boxLeft && x < boxRight && y > 0 && y < image.height() - 1;
        if (!inBox) {
          wrongBackground += pixel != background ? 1 : 0;
          continue;
        }
        // Text over the fill is white (red climbs), over the rest blue (red
        // falls); every pixel is a mix of the two colours.
        EXPECT_EQ(pixel.blue(), 255);
        if (pixel == background) continue;
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        if (overFill && pixel.red() > 128) ++ink.overFill;
        if (!overFill && pixel.red() < 128) ++ink.overRest;
      }
    }
    EXPECT_EQ(wrongBackground, 0);
    const QString label = QStringLiteral("%1 %").arg(c.position);
    const int textWidth = QFontMetrics(bar->font()).tightBoundingRect(label).width();
    EXPECT_NEAR(ink.right - ink.left + 1, textWidth, 3) << "reads " << label.toStdString();
    EXPECT_NEAR((ink.left + ink.right + 1) / 2.0, kWidth / 2.0, 3) << "centred";
    const bool textOverFill = ink.left < c.filled;
    const bool textOverRest = ink.right >= c.filled;
    EXPECT_EQ(ink.overFill > 0, textOverFill) << "white over the fill";
    EXPECT_EQ(ink.overRest > 0, textOverRest) << "blue over the rest";
  }
}

}  // namespace
