// Writes a contact sheet of the buttons' artwork: one row per glyph with its
// name and its four frames (rest, hover, pressed, disabled) as the skin shows
// them, at their own size and three times enlarged.
//
//   QT_QPA_PLATFORM=offscreen kestrel-skin-sheet OUT.png

#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

#include "controls/button_art.h"
#include "controls/skin_button.h"

namespace {

constexpr int kMargin = 12;
constexpr int kNameWidth = 90;
constexpr int kEnlarged = 3;

// The strip as the skin shows it: black replaced by the skin's background.
QImage OnSkin(const QImage& strip) {
  QImage shown = strip.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < shown.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
    for (int x = 0; x < shown.width(); ++x) {
      if ((line[x] & 0x00FFFFFF) == 0) line[x] = CSkinButton::Background().rgb();
    }
  }
  return shown;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kestrel-skin-sheet OUT.png\n");
    return 2;
  }
  const int widest = 46 * CSkinButton::kFrameCount;
  const int rowHeight = 32 * kEnlarged + kMargin;
  QImage sheet(kMargin * 4 + kNameWidth + widest * (1 + kEnlarged),
               kMargin + rowHeight * static_cast<int>(kButtonArts.size()), QImage::Format_RGB32);
  sheet.fill(QColor(0x2A, 0x2A, 0x2A));
  QPainter p(&sheet);
  p.setPen(Qt::white);
  int top = kMargin;
  for (const ButtonArt art : kButtonArts) {
    const QSize frame = ButtonArtSize(art);
    const QImage strip = OnSkin(ButtonStrip(art, frame));
    if (strip.isNull()) {
      std::fprintf(stderr, "kestrel-skin-sheet: no picture for %s\n", ButtonArtName(art));
      return 1;
    }
    p.drawText(QRect(kMargin, top, kNameWidth, frame.height()), Qt::AlignVCenter,
               QString::fromLatin1(ButtonArtName(art)));
    const int left = kMargin * 2 + kNameWidth;
    p.drawImage(left, top, strip);
    p.drawImage(
        QPoint(left + widest + kMargin, top),
        strip.scaled(strip.size() * kEnlarged, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    top += rowHeight;
  }
  p.end();
  if (!sheet.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "kestrel-skin-sheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
