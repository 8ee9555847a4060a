#include "controls/button_art.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "controls/skin_button.h"

namespace {

struct FrameStats {
  int glyphPixels = 0;  // not pure black
  int brightest = 0;
  double meanGrey = 0;
};

FrameStats StatsOf(const QImage& frame) {
  FrameStats stats;
  double sum = 0;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      const QRgb pixel = frame.pixel(x, y);
      const int grey = qGray(pixel);
      if ((pixel & 0x00FFFFFF) != 0) ++stats.glyphPixels;
      stats.brightest = std::max(stats.brightest, grey);
      sum += grey;
    }
  }
  stats.meanGrey = sum / (frame.width() * frame.height());
  return stats;
}

TEST(ButtonArt, EveryGlyphGivesFourDistinctLegibleFrames) {
  std::set<QByteArray> names;
  for (const ButtonArt art : kButtonArts) {
    const QSize native = ButtonArtSize(art);
    names.insert(ButtonArtName(art));
    for (const QSize frame : {native, native * 2}) {
      SCOPED_TRACE(std::string(ButtonArtName(art)) + " at " + std::to_string(frame.width()) + "x" +
                   std::to_string(frame.height()));
      const QImage strip = ButtonStrip(art, frame);
      ASSERT_EQ(strip.size(), QSize(frame.width() * CSkinButton::kFrameCount, frame.height()));

      std::vector<QImage> frames;
      std::vector<FrameStats> stats;
      for (int i = 0; i < CSkinButton::kFrameCount; ++i) {
        frames.push_back(strip.copy(QRect(QPoint(i * frame.width(), 0), frame)));
        stats.push_back(StatsOf(frames.back()));
      }
      for (int i = 0; i < CSkinButton::kFrameCount; ++i) {
        for (int j = i + 1; j < CSkinButton::kFrameCount; ++j) {
          EXPECT_NE(frames[i], frames[j]) << "frames " << i << " and " << j;
        }
      }
      const FrameStats& rest = stats[CSkinButton::kRest];
      EXPECT_GE(rest.glyphPixels, frame.width() * frame.height() / 50) << "a visible glyph";
      EXPECT_GE(rest.brightest, 0xC0) << "a light glyph";
      EXPECT_EQ(frames[CSkinButton::kRest].pixel(0, 0), qRgb(0, 0, 0))
          << "the skin shows around the glyph at rest";
      EXPECT_GT(stats[CSkinButton::kHover].meanGrey, rest.meanGrey + 5) << "hover is brighter";
      EXPECT_LT(stats[CSkinButton::kDisabled].meanGrey, rest.meanGrey) << "disabled is dimmer";
      EXPECT_LT(stats[CSkinButton::kDisabled].brightest, rest.brightest);

      CSkinButton button;
      EXPECT_TRUE(button.Create(strip, QRect(QPoint(0, 0), frame), 38000));
    }
  }
  EXPECT_EQ(names.size(), kButtonArts.size()) << "each glyph has a picture of its own";
  EXPECT_EQ(ButtonArtSize(ButtonArt::kClose), QSize(46, 18));
  EXPECT_EQ(ButtonArtSize(ButtonArt::kSize), QSize(26, 18));
  EXPECT_EQ(ButtonArtSize(ButtonArt::kMinimise), QSize(26, 18));
  EXPECT_TRUE(ButtonStrip(ButtonArt::kPlay, QSize(0, 32)).isNull());
}

}  // namespace
