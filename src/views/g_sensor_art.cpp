#include "views/g_sensor_art.h"

#include <QPainter>
#include <QPolygonF>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "base/shared_fonts.h"
#include "views/g_sensor_plan.h"

namespace {

const QColor kLabelGround(0x18, 0x18, 0x18);
const QColor kMajorGrid(0x50, 0x50, 0x50);
const QColor kMinorGrid(0x30, 0x30, 0x30);
const QColor kLabelText(0xC8, 0xC8, 0xC8);
const QColor kStarColour(255, 255, 0);
constexpr int kGridSpacing = 50;
constexpr int kLabelRise = 6;

const std::array<const char*, 4> kTopLabels = {"0.5G", "1G", "1.5G", "2G"};

}  // namespace

QImage GraphBackground(int scaleIndex) {
  scaleIndex = std::clamp(scaleIndex, 0, 3);
  QImage image(kGraphBackgroundWidth, kGraphBackgroundHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  p.fillRect(0, 0, kGraphLabelColumn, kGraphBackgroundHeight, kLabelGround);
  const int half = kGraphBackgroundHeight / 2;
  const int amplitude = GraphAmplitude(kGraphBackgroundHeight, scaleIndex);
  // The labelled value is (index + 1) / 2 G; its line lies that far from the
  // mid-line, with a minor line half-way.
  const int full = static_cast<int>(amplitude * (scaleIndex + 1) * 0.5);
  p.setPen(kMinorGrid);
  for (const int y : {half - full / 2, half + full / 2}) {
    p.drawLine(kGraphLabelColumn, y, kGraphBackgroundWidth - 1, y);
  }
  for (int x = kGraphLabelColumn + kGridSpacing; x < kGraphBackgroundWidth; x += kGridSpacing) {
    p.drawLine(x, 0, x, kGraphBackgroundHeight - 1);
  }
  p.setPen(kMajorGrid);
  for (const int y : {half - full, half, half + full}) {
    p.drawLine(kGraphLabelColumn, y, kGraphBackgroundWidth - 1, y);
  }
  p.setFont(fontSmall());
  p.setPen(kLabelText);
  const QString top = QString::fromLatin1(kTopLabels[static_cast<std::size_t>(scaleIndex)]);
  const std::array<std::pair<int, QString>, 3> labels = {
      std::pair{half - full, top},
      std::pair{half, QStringLiteral("0G")},
      std::pair{half + full, QStringLiteral("-") + top},
  };
  for (const auto& [y, text] : labels) {
    // Kept inside the picture: the top and bottom lines lie near its edges.
    const int boxTop = std::clamp(y - kLabelRise, 0, kGraphBackgroundHeight - 2 * kLabelRise);
    const QRect box(2, boxTop, kGraphLabelColumn - 6, 2 * kLabelRise);
    p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
  }
  return image;
}

QImage MarkStar() {
  QImage star(kStarSize, kStarSize, QImage::Format_ARGB32_Premultiplied);
  star.fill(Qt::transparent);
  QPainter p(&star);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(kStarColour);
  QPolygonF points;
  const double centre = kStarSize / 2.0;
  for (int i = 0; i < 10; ++i) {
    const double radius = i % 2 == 0 ? centre : centre * 0.4;
    const double angle = -M_PI / 2 + i * M_PI / 5;
    points << QPointF(centre + radius * std::cos(angle), centre + radius * std::sin(angle));
  }
  p.drawPolygon(points);
  return star;
}

QColor MarkPenColour(int icon) {
  switch (icon) {
    case 0:
    case 1:
      return {0, 255, 0};
    case 2:
      return {255, 0, 0};
    case 3:
    case 4:
      return {128, 128, 255};
    case 9:
      return {255, 255, 0};
    case 10:
      return {255, 0, 255};
    case 11:
      return {0, 255, 255};
    default:
      return {255, 255, 255};
  }
}
