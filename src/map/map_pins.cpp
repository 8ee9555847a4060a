#include "map/map_pins.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "container/event_marks.h"

namespace {

enum class Sign { kLetterG, kLetterM, kLetterE, kLetterP, kHash, kStar, kUp, kDown };

struct PinLook {
  QColor body;
  QColor sign;
  Sign shape;
};

PinLook LookOf(int icon) {
  switch (icon) {
    case 5:
      return {QColor(0xF0, 0x8C, 0x00), Qt::white, Sign::kLetterM};
    case 6:
      return {QColor(0xF5, 0xD0, 0x00), QColor(0xD0, 0x00, 0x00), Sign::kLetterE};
    case 7:
      return {QColor(0x80, 0x30, 0xA0), Qt::white, Sign::kLetterP};
    case 8:
      return {QColor(0x80, 0x30, 0xA0), Qt::white, Sign::kHash};
    case 9:
      return {QColor(0x20, 0x60, 0xE0), Qt::white, Sign::kStar};
    case 10:
      return {QColor(0xF0, 0x70, 0xB0), Qt::white, Sign::kUp};
    case 11:
      return {QColor(0x20, 0xA0, 0x40), Qt::white, Sign::kDown};
    default:
      return {QColor(0xD8, 0x10, 0x10), Qt::white, Sign::kLetterG};
  }
}

// A drop-shaped pin whose point is at the bottom centre (16, 32).
QPainterPath PinOutline() {
  QPainterPath path;
  path.moveTo(16, 31);
  path.cubicTo(11, 22, 4, 18, 4, 12);
  path.arcTo(QRectF(4, 1, 24, 22), 180, -180);
  path.cubicTo(28, 18, 21, 22, 16, 31);
  path.closeSubpath();
  return path;
}

void DrawSign(QPainter& p, const PinLook& look) {
  const QRectF face(7, 3, 18, 18);
  p.setPen(Qt::NoPen);
  p.setBrush(look.sign);
  const QPointF c = face.center();
  switch (look.shape) {
    case Sign::kStar: {
      QPolygonF star;
      for (int k = 0; k < 10; ++k) {
        const double r = k % 2 == 0 ? 8.0 : 3.4;
        const double a = (-90.0 + 36.0 * k) * 3.14159265358979 / 180.0;
        star << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
      }
      p.drawPolygon(star);
      return;
    }
    case Sign::kUp:
      p.drawPolygon(QPolygonF{{c.x(), c.y() - 7}, {c.x() - 7, c.y() + 5}, {c.x() + 7, c.y() + 5}});
      return;
    case Sign::kDown:
      p.drawPolygon(QPolygonF{{c.x(), c.y() + 7}, {c.x() - 7, c.y() - 5}, {c.x() + 7, c.y() - 5}});
      return;
    default:
      break;
  }
  static const char* const kLetters[] = {"G", "M", "E", "P", "#"};
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(14);
  font.setBold(true);
  p.setFont(font);
  p.setPen(look.sign);
  p.drawText(face, Qt::AlignCenter, QString::fromLatin1(kLetters[static_cast<int>(look.shape)]));
}

QString DataUrl(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

}  // namespace

QImage PinImage(int icon) {
  QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const PinLook look = LookOf(icon);
  p.setPen(QPen(look.body.darker(150), 1.2));
  p.setBrush(look.body);
  p.drawPath(PinOutline());
  DrawSign(p, look);
  return image;
}

QImage PinShadowImage() {
  QImage image(49, 32, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 70));
  // The pin's shadow falls to the right of its point, at (16, 32).
  p.drawPolygon(QPolygonF{{16, 31}, {27, 14}, {44, 14}, {22, 31}});
  p.drawEllipse(QRectF(26, 8, 20, 10));
  return image;
}

QStringList PinDataUrls() {
  QStringList urls;
  for (int icon = 0; icon < kIconCount; ++icon) urls << DataUrl(PinImage(icon));
  return urls;
}

QString PinShadowDataUrl() { return DataUrl(PinShadowImage()); }
