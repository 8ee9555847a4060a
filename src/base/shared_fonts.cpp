#include "base/shared_fonts.h"

#include <QGuiApplication>
#include <QStringList>
#include <array>
#include <memory>

#include "base/settings_file.h"
#include "base/ui_text.h"

namespace {

// The Japanese UI font that Debian ships (fonts-noto-cjk), used where the
// face that UiText(113) names is not installed.
constexpr auto kFallbackFace = "Noto Sans CJK JP";

enum FontIndex { kSmall, kNormal, kMedium, kLarge, kTitle, kFontCount };
constexpr std::array<int, kFontCount> kSizeValues = {9, 10, 13, 17, 22};

std::unique_ptr<std::array<QFont, kFontCount>> fonts;

QFont MakeFont(int sizeValue) {
  QFont font;
  font.setFamilies({UiText(113), QString::fromLatin1(kFallbackFace)});
  font.setPixelSize(FontPixelSize(sizeValue));
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QFont SharedFont(FontIndex index) { return fonts ? (*fonts)[index] : QFont(); }

}  // namespace

int FontPixelSize(int sizeValue) {
  // s points at 96 dots per inch, rounded to the nearest pixel.
  return (sizeValue * 96 + 36) / 72;
}

bool CreateSharedFonts() {
  if (qGuiApp == nullptr) return false;
  ChooseUiLanguage(QLocale::system());
  fonts = std::make_unique<std::array<QFont, kFontCount>>();
  for (int i = 0; i < kFontCount; ++i) (*fonts)[i] = MakeFont(kSizeValues[i]);
  CaptureWorkDir();
  return true;
}

void DeleteSharedFonts() { fonts.reset(); }

bool SharedFontsCreated() { return fonts != nullptr; }

QFont fontSmall() { return SharedFont(kSmall); }
QFont fontNormal() { return SharedFont(kNormal); }
QFont fontMedium() { return SharedFont(kMedium); }
QFont fontLarge() { return SharedFont(kLarge); }
QFont fontTitle() { return SharedFont(kTitle); }
