#include "controls/button_art.h"

#include <QPainter>
#include <QSvgRenderer>

#include "controls/skin_button.h"

namespace {

struct ArtEntry {
  ButtonArt art;
  const char* name;
};

constexpr std::array<ArtEntry, kButtonArts.size()> kArtEntries = {{
    {ButtonArt::kToStart, "to_start"},
    {ButtonArt::kPrevious, "previous"},
    {ButtonArt::kPlay, "play"},
    {ButtonArt::kPause, "pause"},
    {ButtonArt::kSlower, "slower"},
    {ButtonArt::kFaster, "faster"},
    {ButtonArt::kNext, "next"},
    {ButtonArt::kSnapshot, "snapshot"},
    {ButtonArt::kJoin, "join"},
    {ButtonArt::kZoom, "zoom"},
    {ButtonArt::kSource, "source"},
    {ButtonArt::kDelete, "delete"},
    {ButtonArt::kSettings, "settings"},
    {ButtonArt::kCsv, "csv"},
    {ButtonArt::kClose, "close"},
    {ButtonArt::kMinimise, "minimise"},
    {ButtonArt::kSize, "size"},
}};

// How one frame looks: the glyph's colour, the plate behind it (none when
// transparent), the plate's ring and how far the glyph sinks when pressed.
struct FrameLook {
  QColor glyph;
  QColor plate;
  QColor ring;
  int sink;
};

const QColor kNone(0, 0, 0, 0);

FrameLook LookOf(ButtonArt art, int frame) {
  const bool close = art == ButtonArt::kClose;
  switch (frame) {
    case CSkinButton::kHover:
      return {QColor(0xFF, 0xFF, 0xFF), close ? QColor(0xD4, 0x2E, 0x22) : QColor(0x62, 0x62, 0x62),
              kNone, 0};
    case CSkinButton::kPressed:
      return {close ? QColor(0xFF, 0xE0, 0xDC) : QColor(0xA8, 0xDA, 0xFF),
              close ? QColor(0x8E, 0x1C, 0x14) : QColor(0x26, 0x26, 0x26),
              close ? QColor(0xE8, 0x6A, 0x5E) : QColor(0x3F, 0xA4, 0xEC), 1};
    case CSkinButton::kDisabled:
      return {QColor(0x6E, 0x6E, 0x6E), kNone, kNone, 0};
    default:
      return {QColor(0xDA, 0xDA, 0xDA), kNone, kNone, 0};
  }
}

bool OnTitleBar(ButtonArt art) {
  return art == ButtonArt::kClose || art == ButtonArt::kMinimise || art == ButtonArt::kSize;
}

// The glyph in white on transparent, as large as the frame's inner square.
QImage RenderGlyph(ButtonArt art, int side) {
  QImage glyph(side, side, QImage::Format_ARGB32_Premultiplied);
  glyph.fill(Qt::transparent);
  QSvgRenderer renderer(QStringLiteral(":/controls/art/%1.svg").arg(ButtonArtName(art)));
  if (!renderer.isValid()) return {};
  QPainter p(&glyph);
  p.setRenderHint(QPainter::Antialiasing);
  renderer.render(&p, QRectF(0, 0, side, side));
  return glyph;
}

QImage Tinted(const QImage& glyph, const QColor& colour) {
  QImage tinted = glyph;
  QPainter p(&tinted);
  p.setCompositionMode(QPainter::CompositionMode_SourceIn);
  p.fillRect(tinted.rect(), colour);
  return tinted;
}

// One frame on transparent: plate, ring and tinted glyph.
QImage DrawFrame(ButtonArt art, int frame, QSize size, const QImage& glyph) {
  const FrameLook look = LookOf(art, frame);
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const bool square = !OnTitleBar(art);
  const QRectF plate = square ? QRectF(1.5, 1.5, size.width() - 3, size.height() - 3)
                              : QRectF(0.5, 0.5, size.width() - 1, size.height() - 1);
  const qreal radius = square ? 5 : 0;
  if (look.plate.alpha() > 0) {
    p.setPen(look.ring.alpha() > 0 ? QPen(look.ring, 1) : Qt::NoPen);
    p.setBrush(look.plate);
    p.drawRoundedRect(plate, radius, radius);
  }
  const QPoint origin((size.width() - glyph.width()) / 2,
                      (size.height() - glyph.height()) / 2 + look.sink);
  p.drawImage(origin, Tinted(glyph, look.glyph));
  return image;
}

// The frame made opaque over the skin's background, so that the glyph's
// soft edges blend into the colour they are shown on, with black wherever
// nothing was drawn.
QImage OverSkin(const QImage& frame) {
  QImage opaque(frame.size(), QImage::Format_RGB32);
  opaque.fill(CSkinButton::Background());
  {
    QPainter p(&opaque);
    p.drawImage(0, 0, frame);
  }
  for (int y = 0; y < frame.height(); ++y) {
    const auto* drawn = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
    auto* line = reinterpret_cast<QRgb*>(opaque.scanLine(y));
    for (int x = 0; x < frame.width(); ++x) {
      if (qAlpha(drawn[x]) == 0) line[x] = qRgb(0, 0, 0);
    }
  }
  return opaque;
}

}  // namespace

QSize ButtonArtSize(ButtonArt art) {
  switch (art) {
    case ButtonArt::kClose:
      return {46, 18};
    case ButtonArt::kMinimise:
    case ButtonArt::kSize:
      return {26, 18};
    default:
      return {32, 32};
  }
}

const char* ButtonArtName(ButtonArt art) {
  for (const ArtEntry& entry : kArtEntries) {
    if (entry.art == art) return entry.name;
  }
  return "";
}

QImage ButtonStrip(ButtonArt art, QSize frame) {
  if (frame.isEmpty()) return {};
  const QImage glyph = RenderGlyph(art, std::min(frame.width(), frame.height()));
  if (glyph.isNull()) return {};
  QImage strip(frame.width() * CSkinButton::kFrameCount, frame.height(), QImage::Format_RGB32);
  QPainter p(&strip);
  for (int index = 0; index < CSkinButton::kFrameCount; ++index) {
    p.drawImage(index * frame.width(), 0, OverSkin(DrawFrame(art, index, frame, glyph)));
  }
  return strip;
}
