#include "base/shared_fonts.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include "base/ui_text.h"
#include "scoped_work_folder.h"

namespace {

// Draws `text` black on white with `font` on an image of `dpi` dots per inch.
QImage Render(const QFont& font, const QString& text, int dpi = 96) {
  QImage image(600, 60, QImage::Format_RGB32);
  const int dotsPerMeter = static_cast<int>(dpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignVCenter, text);
  return image;
}

class SharedFonts : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateSharedFonts()); }
  void TearDown() override { DeleteSharedFonts(); }
  ScopedWorkFolder folder_;
};

TEST_F(SharedFonts, HaveThePixelSizesAtAnyScaling) {
  struct Case {
    const char* name;
    QFont font;
    int pixels;
  };
  const Case cases[] = {{"small", fontSmall(), 12},
                        {"normal", fontNormal(), 13},
                        {"medium", fontMedium(), 17},
                        {"large", fontLarge(), 23},
                        {"title", fontTitle(), 29}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.font.pixelSize(), c.pixels) << c.name;
    EXPECT_EQ(QFontInfo(c.font).pixelSize(), c.pixels) << c.name;
    // The same glyphs on a 96 and a 144 dots-per-inch surface.
    EXPECT_EQ(Render(c.font, UiText(129), 96), Render(c.font, UiText(129), 144)) << c.name;
  }
  QFont pointSized = fontSmall();
  pointSized.setPointSize(9);
  EXPECT_NE(Render(pointSized, UiText(129), 96), Render(pointSized, UiText(129), 144))
      << "a point-sized font would grow with the scaling";
}

TEST_F(SharedFonts, UseAJapaneseFaceThatHoldsEveryUiText) {
  const QFont font = fontNormal();
  EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Noto Sans CJK JP"));
  const QRawFont raw = QRawFont::fromFont(font);
  ASSERT_TRUE(raw.isValid());
  for (int language = 0; language < kUiLanguageCount; ++language) {
    for (int slot = 0; slot < kUiTextUsedSlots; ++slot) {
      for (const char32_t c : UiTextIn(language, slot).toUcs4()) {
        if (c == U'\r' || c == U'\n') continue;
        EXPECT_TRUE(raw.supportsCharacter(c))
            << "slot " << slot << " U+" << std::hex << static_cast<uint32_t>(c);
      }
    }
  }
}

TEST_F(SharedFonts, DrawJapaneseGlyphsNotBoxes) {
  // Every missing character is drawn as the same box; real glyphs differ.
  const QFont font = fontLarge();
  const QImage missing = Render(font, QStringLiteral("\uE000\uE001"));
  const QImage japanese = Render(font, QStringLiteral("再生"));
  EXPECT_EQ(Render(font, QStringLiteral("\uE002\uE003")), missing) << "boxes look alike";
  EXPECT_NE(japanese, missing);
  EXPECT_NE(japanese, Render(font, QStringLiteral("停止")));
  const QImage sample = Render(font, UiText(129) + u' ' + UiText(68));
  if (const QByteArray out = qgetenv("KESTREL_FONT_SAMPLE"); !out.isEmpty()) {
    sample.save(QString::fromLocal8Bit(out));
  }
}

TEST(SharedFontsLifetime, AreTheDefaultFontOutsideTheirLife) {
  ScopedWorkFolder folder;
  DeleteSharedFonts();
  EXPECT_FALSE(SharedFontsCreated());
  EXPECT_EQ(fontSmall(), QFont());
  ASSERT_TRUE(CreateSharedFonts());
  EXPECT_TRUE(SharedFontsCreated());
  EXPECT_EQ(workDir(), folder.path()) << "creating the fonts captures the working folder";
  DeleteSharedFonts();
  EXPECT_FALSE(SharedFontsCreated());
  EXPECT_EQ(fontTitle(), QFont());
}

}  // namespace
