#include "map/map_pictures.h"

#include <QPainter>
#include <QPainterPath>

MapAreaContent ChooseMapAreaContent(const MapAreaState& s) {
  const bool usable = s.positionSet && s.reachable && s.trackHasPositions && s.indexValid &&
                      !s.parking && !s.mapUnavailable;
  if (usable) return MapAreaContent::kMap;
  return !s.mapPageReady || s.reachable ? MapAreaContent::kNoMap : MapAreaContent::kUnreachable;
}

QImage MapAreaPicture(MapAreaContent content, const QSize& size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(0xE8, 0xE6, 0xE1));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // A faint street grid, so that the area reads as a map.
  p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 6));
  for (int x = -size.height(); x < size.width(); x += 70) {
    p.drawLine(x, size.height(), x + size.height() / 2, 0);
  }
  for (int y = 40; y < size.height(); y += 90) p.drawLine(0, y, size.width(), y - 30);
  const QPointF c(size.width() / 2.0, size.height() / 2.0);
  const QColor mark =
      content == MapAreaContent::kUnreachable ? QColor(0x90, 0x90, 0x90) : QColor(0xD8, 0x10, 0x10);
  QPainterPath pin;
  pin.moveTo(c.x(), c.y() + 40);
  pin.cubicTo(c.x() - 14, c.y() + 14, c.x() - 28, c.y() + 2, c.x() - 28, c.y() - 14);
  pin.arcTo(QRectF(c.x() - 28, c.y() - 44, 56, 56), 180, -180);
  pin.cubicTo(c.x() + 28, c.y() + 2, c.x() + 14, c.y() + 14, c.x(), c.y() + 40);
  p.setPen(QPen(mark.darker(140), 2));
  p.setBrush(mark);
  p.drawPath(pin);
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(c.x() - 10, c.y() - 26, 20, 20));
  if (content == MapAreaContent::kUnreachable) {
    // Crossed out: no connection to the map service.
    p.setPen(QPen(QColor(0xD8, 0x10, 0x10), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-40, -50), c + QPointF(40, 46));
  }
  p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0));
  return image;
}
