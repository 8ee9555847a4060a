#include "render/overlay_painter.h"

#include <QFont>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kDesignHeight = 720;
constexpr std::array<double, 3> kScales = {0.75, 1.0, 1.3};
// The G-ball's rim and the Z bar's ends.
constexpr double kFullScaleG = 1.5;
// Opaque backings: the text stays legible on any picture and after
// compression.
const QColor kBacking(24, 24, 24);
const QColor kText(255, 255, 255);
// The panel's colours of the three axes.
const std::array<QColor, 3> kAxisColours = {QColor(0, 255, 0), QColor(255, 0, 0),
                                            QColor(128, 128, 255)};
constexpr std::string_view kNoDateTime = "--/--/-- --:--:--";
constexpr std::string_view kNoSpeed = "---";
constexpr std::string_view kNoAccel = "--.--G";

QFont Font(double pixels, bool bold = true) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QString Text(const std::optional<std::string>& text, std::string_view absent) {
  return QString::fromStdString(text ? *text : std::string(absent)).trimmed();
}

void Backing(QPainter& painter, const QRect& place, double unit) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kBacking);
  painter.drawRoundedRect(place, 8 * unit, 8 * unit);
}

void DrawSpeed(QPainter& painter, const QRect& place, double u, const InfoValues& info) {
  Backing(painter, place, u);
  painter.setPen(kText);
  painter.setFont(Font(64 * u));
  const QRect value = place.adjusted(static_cast<int>(12 * u), 0, static_cast<int>(-84 * u), 0);
  painter.drawText(value, Qt::AlignRight | Qt::AlignVCenter, Text(InfoSpeed(info), kNoSpeed));
  painter.setFont(Font(24 * u, false));
  const QRect unitText =
      place.adjusted(place.width() - static_cast<int>(78 * u), 0, 0, static_cast<int>(-18 * u));
  painter.drawText(unitText, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("km/h"));
}

void DrawTime(QPainter& painter, const QRect& place, double u, const InfoValues& info) {
  Backing(painter, place, u);
  painter.setPen(kText);
  painter.setFont(Font(30 * u));
  painter.drawText(place, Qt::AlignCenter, Text(InfoDateTime(info), kNoDateTime));
}

void DrawG(QPainter& painter, const QRect& place, double u, const InfoValues& info) {
  Backing(painter, place, u);
  painter.setRenderHint(QPainter::Antialiasing);
  // The ball: Y across, X up (forward), rings at half and full scale.
  const double radius = 62 * u;
  const QPointF centre(place.left() + 14 * u + radius, place.center().y() + 0.5);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 255, 255, 170), std::max(1.0, 2 * u)));
  painter.drawEllipse(centre, radius, radius);
  painter.drawEllipse(centre, radius / kFullScaleG, radius / kFullScaleG);
  painter.drawLine(QPointF(centre.x() - radius, centre.y()),
                   QPointF(centre.x() + radius, centre.y()));
  painter.drawLine(QPointF(centre.x(), centre.y() - radius),
                   QPointF(centre.x(), centre.y() + radius));
  const auto scaled = [&](double g) {
    return std::clamp(g, -kFullScaleG, kFullScaleG) / kFullScaleG;
  };
  if (info.accelX > -5 && info.accelY > -5) {
    const QPointF ball(centre.x() + scaled(info.accelY) * radius,
                       centre.y() - scaled(info.accelX) * radius);
    painter.setPen(QPen(Qt::black, std::max(1.0, 2 * u)));
    painter.setBrush(QColor(255, 210, 0));
    painter.drawEllipse(ball, 10 * u, 10 * u);
  }
  // The Z bar, from its middle.
  const QRectF bar(centre.x() + radius + 14 * u, centre.y() - radius, 14 * u, 2 * radius);
  painter.setPen(QPen(QColor(255, 255, 255, 170), std::max(1.0, 2 * u)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(bar);
  if (info.accelZ > -5) {
    const double top = centre.y() - scaled(info.accelZ) * radius;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAxisColours[2]);
    painter.drawRect(QRectF(QPointF(bar.left(), std::min(top, centre.y())),
                            QPointF(bar.right(), std::max(top, centre.y()))));
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
  // The three values as the panel writes them, in its colours.
  const std::array<double, 3> values = {info.accelX, info.accelY, info.accelZ};
  const std::array<const char*, 3> axes = {"X", "Y", "Z"};
  painter.setFont(Font(28 * u));
  const int left = static_cast<int>(bar.right() + 16 * u);
  const int line = place.height() / 3;
  for (int axis = 0; axis < 3; ++axis) {
    const QRect row(left, place.top() + axis * line,
                    place.right() - left - static_cast<int>(10 * u), line);
    painter.setPen(kAxisColours[static_cast<std::size_t>(axis)]);
    painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(axes[axis]));
    painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter,
                     Text(InfoAccel(values[static_cast<std::size_t>(axis)]), kNoAccel));
  }
}

void DrawEvent(QPainter& painter, const QRect& place, double u, const std::string& event) {
  if (event.empty()) return;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(190, 0, 0));
  painter.drawRoundedRect(place, 8 * u, 8 * u);
  painter.setPen(kText);
  painter.setFont(Font(30 * u));
  painter.drawText(place, Qt::AlignCenter, QString::fromStdString(event));
}

void DrawMap(QPainter& painter, const QRect& place, double u, const OverlayPicture& picture,
             const std::vector<RoutePoint>& route) {
  if (route.empty()) return;
  Backing(painter, place, u);
  double south = route.front().latitude, north = south;
  double west = route.front().longitude, east = west;
  for (const RoutePoint& p : route) {
    south = std::min(south, p.latitude);
    north = std::max(north, p.latitude);
    west = std::min(west, p.longitude);
    east = std::max(east, p.longitude);
  }
  // An equirectangular projection around the route's middle, fitted into
  // the block with a margin, north up.
  const double across = std::cos((south + north) / 2 * M_PI / 180);
  const double spanX = std::max((east - west) * across, 1e-6);
  const double spanY = std::max(north - south, 1e-6);
  const QRectF inner = QRectF(place).adjusted(16 * u, 16 * u, -16 * u, -16 * u);
  const double scale = std::min(inner.width() / spanX, inner.height() / spanY);
  const QPointF middle = inner.center();
  const auto at = [&](double latitude, double longitude) {
    return QPointF(middle.x() + ((longitude - (west + east) / 2) * across) * scale,
                   middle.y() - (latitude - (south + north) / 2) * scale);
  };
  QPainterPath path(at(route.front().latitude, route.front().longitude));
  for (const RoutePoint& p : route) path.lineTo(at(p.latitude, p.longitude));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(
      QPen(QColor(80, 180, 255), std::max(1.0, 4 * u), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(path);
  if (picture.hasPosition) {
    painter.setPen(QPen(Qt::white, std::max(1.0, 3 * u)));
    painter.setBrush(QColor(255, 60, 60));
    painter.drawEllipse(at(picture.latitude, picture.longitude), 9 * u, 9 * u);
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace

OverlayLayout::OverlayLayout(QSize picture, const OverlayBlocks& blocks, OverlayScale scale)
    : blocks_(blocks) {
  unit_ = picture.height() / kDesignHeight * kScales.at(static_cast<std::size_t>(scale));
  const auto px = [this](double design) { return static_cast<int>(std::lround(design * unit_)); };
  const int margin = px(16);
  const int bottom = picture.height() - margin;
  places_[kBlockTime] = QRect(margin, bottom - px(56), px(384), px(56));
  places_[kBlockSpeed] = QRect(margin, places_[kBlockTime].top() - px(8) - px(90), px(250), px(90));
  places_[kBlockEvents] =
      QRect(margin, places_[kBlockSpeed].top() - px(8) - px(52), px(384), px(52));
  places_[kBlockG] =
      QRect(places_[kBlockTime].right() + 1 + margin, bottom - px(154), px(370), px(154));
  places_[kBlockMap] =
      QRect(picture.width() - margin - px(200), bottom - px(200), px(200), px(200));
}

std::optional<QRect> OverlayLayout::Place(OverlayBlock block) const {
  if (!blocks_.at(static_cast<std::size_t>(block))) return std::nullopt;
  return places_.at(static_cast<std::size_t>(block));
}

void DrawOverlayBlock(QPainter& painter, const OverlayLayout& layout, OverlayBlock block,
                      const OverlayPicture& picture, const std::vector<RoutePoint>& route) {
  const std::optional<QRect> place = layout.Place(block);
  if (!place) return;
  const double u = layout.unit();
  switch (block) {
    case kBlockTime:
      return DrawTime(painter, *place, u, picture.info);
    case kBlockSpeed:
      return DrawSpeed(painter, *place, u, picture.info);
    case kBlockG:
      return DrawG(painter, *place, u, picture.info);
    case kBlockEvents:
      return DrawEvent(painter, *place, u, picture.event);
    case kBlockMap:
      return DrawMap(painter, *place, u, picture, route);
  }
}

QImage OverlayBlockImage(const OverlayLayout& layout, OverlayBlock block,
                         const OverlayPicture& picture, const std::vector<RoutePoint>& route) {
  const std::optional<QRect> place = layout.Place(block);
  if (!place || place->isEmpty()) return {};
  if (block == kBlockEvents && picture.event.empty()) return {};
  if (block == kBlockMap && route.empty()) return {};
  QImage image(place->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.translate(-place->topLeft());
  DrawOverlayBlock(painter, layout, block, picture, route);
  return image;
}

void DrawOverlay(QPainter& painter, const OverlayLayout& layout, const OverlayPicture& picture,
                 const std::vector<RoutePoint>& route) {
  for (int block = 0; block < kOverlayBlockCount; ++block) {
    const QImage image =
        OverlayBlockImage(layout, static_cast<OverlayBlock>(block), picture, route);
    if (!image.isNull())
      painter.drawImage(layout.Place(static_cast<OverlayBlock>(block))->topLeft(), image);
  }
}
