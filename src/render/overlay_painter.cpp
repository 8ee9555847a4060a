#include "render/overlay_painter.h"

#include <QFont>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <sstream>

#include "map/tile_source.h"

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
// The closest the route map comes: about a metre a pixel.
constexpr int kClosestZoom = 17;
constexpr double kTilePixels = 256;

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
  painter.drawText(unitText, Qt::AlignLeft | Qt::AlignBottom,
                   QString::fromLatin1(SpeedUnitLabel(info.speedUnit)));
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

// The route's fit into the map block: Web Mercator (the world 1 x 1, north
// up), the route's middle at the block's, scaled to fit inside a margin.
class MapProjection {
 public:
  MapProjection(const QRect& place, double u, const std::vector<RoutePoint>& route) {
    double west = 1, east = 0, north = 1, south = 0;
    for (const RoutePoint& p : route) {
      const QPointF w = World(p.latitude, p.longitude);
      west = std::min(west, w.x());
      east = std::max(east, w.x());
      north = std::min(north, w.y());
      south = std::max(south, w.y());
    }
    const QRectF inner = QRectF(place).adjusted(16 * u, 16 * u, -16 * u, -16 * u);
    scale_ = std::min({inner.width() / std::max(east - west, 1e-12),
                       inner.height() / std::max(south - north, 1e-12),
                       kTilePixels * (1 << kClosestZoom)});
    middle_ = QPointF((west + east) / 2, (north + south) / 2);
    centre_ = inner.center();
  }

  // Where a position sits on the picture.
  QPointF At(double latitude, double longitude) const {
    return ToPicture(World(latitude, longitude));
  }
  QPointF ToPicture(QPointF world) const { return centre_ + (world - middle_) * scale_; }
  QPointF ToWorld(QPointF picture) const { return middle_ + (picture - centre_) / scale_; }
  double scale() const { return scale_; }

 private:
  static QPointF World(double latitude, double longitude) {
    const double phi = std::clamp(latitude, -85.0511, 85.0511) * M_PI / 180;
    return {(longitude + 180) / 360, (1 - std::asinh(std::tan(phi)) / M_PI) / 2};
  }

  double scale_ = 1;  // picture pixels per world
  QPointF middle_;    // the route's middle in the world
  QPointF centre_;    // the block's middle on the picture
};

void DrawMap(QPainter& painter, const QRect& place, double u, const OverlayPicture& picture,
             const RouteMap& map) {
  if (map.route.empty()) return;
  if (map.ground.isNull()) {
    Backing(painter, place, u);
  } else {
    QPainterPath rounded;
    rounded.addRoundedRect(place, 8 * u, 8 * u);
    painter.save();
    painter.setClipPath(rounded);
    painter.drawImage(place.topLeft(), map.ground);
    painter.restore();
  }
  const MapProjection projection(place, u, map.route);
  QPainterPath path(projection.At(map.route.front().latitude, map.route.front().longitude));
  for (const RoutePoint& p : map.route) path.lineTo(projection.At(p.latitude, p.longitude));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(
      QPen(QColor(80, 180, 255), std::max(1.0, 4 * u), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(path);
  if (picture.hasPosition) {
    painter.setPen(QPen(Qt::white, std::max(1.0, 3 * u)));
    painter.setBrush(QColor(255, 60, 60));
    painter.drawEllipse(projection.At(picture.latitude, picture.longitude), 9 * u, 9 * u);
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace

std::optional<OverlayBlocks> OverlayBlocksFromNames(std::string_view list) {
  OverlayBlocks blocks{};
  std::istringstream names{std::string(list)};
  for (std::string name; std::getline(names, name, ',');) {
    const auto* found = std::find(kOverlayBlockNames.begin(), kOverlayBlockNames.end(), name);
    if (found == kOverlayBlockNames.end()) return std::nullopt;
    blocks[static_cast<std::size_t>(found - kOverlayBlockNames.begin())] = true;
  }
  return blocks;
}

std::string OverlayBlockNamesOf(const OverlayBlocks& blocks) {
  std::string names;
  for (std::size_t block = 0; block < blocks.size(); ++block) {
    if (blocks[block]) names += (names.empty() ? "" : ",") + std::string(kOverlayBlockNames[block]);
  }
  return names;
}

OverlayLayout::OverlayLayout(QSize picture, const OverlayBlocks& blocks, OverlayScale scale,
                             OverlayPlace place)
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
  if (place == OverlayPlace::kTop) {
    for (QRect& r : places_) r.moveTop(picture.height() - r.top() - r.height());
  }
}

std::optional<QRect> OverlayLayout::Place(OverlayBlock block) const {
  if (!blocks_.at(static_cast<std::size_t>(block))) return std::nullopt;
  return places_.at(static_cast<std::size_t>(block));
}

QImage RouteGround(const OverlayLayout& layout, const std::vector<RoutePoint>& route,
                   const TileSource& tiles) {
  const std::optional<QRect> place = layout.Place(kBlockMap);
  if (!place || route.empty() || tiles.kind() == TileSource::Kind::kServer) return {};
  const MapProjection projection(*place, layout.unit(), route);
  // The level whose tiles are drawn at their own size or somewhat smaller,
  // within the source's levels.
  const int lowest = std::clamp(tiles.minZoom(), 0, kClosestZoom);
  const int highest = std::clamp(tiles.maxZoom(), lowest, kClosestZoom);
  const int zoom = std::clamp(
      static_cast<int>(std::ceil(std::log2(projection.scale() / kTilePixels))), lowest, highest);
  const double count = 1 << zoom;
  const QPointF first = projection.ToWorld(place->topLeft()) * count;
  const QPointF last = projection.ToWorld(QPointF(place->right() + 1, place->bottom() + 1)) * count;
  QImage ground(place->size(), QImage::Format_ARGB32_Premultiplied);
  ground.fill(kBacking);
  QPainter painter(&ground);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.translate(-place->topLeft());
  bool any = false;
  for (int y = std::max(0, static_cast<int>(std::floor(first.y())));
       y < std::min(count, std::ceil(last.y())); ++y) {
    for (int x = std::max(0, static_cast<int>(std::floor(first.x())));
         x < std::min(count, std::ceil(last.x())); ++x) {
      QByteArray type;
      QImage tile;
      if (!tile.loadFromData(tiles.ReadLocalTile(zoom, x, y, &type))) continue;
      painter.drawImage(QRectF(projection.ToPicture(QPointF(x, y) / count),
                               projection.ToPicture(QPointF(x + 1, y + 1) / count)),
                        tile);
      any = true;
    }
  }
  painter.end();
  return any ? ground : QImage();
}

void DrawOverlayBlock(QPainter& painter, const OverlayLayout& layout, OverlayBlock block,
                      const OverlayPicture& picture, const RouteMap& map) {
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
      return DrawMap(painter, *place, u, picture, map);
  }
}

QImage OverlayBlockImage(const OverlayLayout& layout, OverlayBlock block,
                         const OverlayPicture& picture, const RouteMap& map) {
  const std::optional<QRect> place = layout.Place(block);
  if (!place || place->isEmpty()) return {};
  if (block == kBlockEvents && picture.event.empty()) return {};
  if (block == kBlockMap && map.route.empty()) return {};
  QImage image(place->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.translate(-place->topLeft());
  DrawOverlayBlock(painter, layout, block, picture, map);
  return image;
}

void DrawOverlay(QPainter& painter, const OverlayLayout& layout, const OverlayPicture& picture,
                 const RouteMap& map) {
  for (int block = 0; block < kOverlayBlockCount; ++block) {
    const QImage image = OverlayBlockImage(layout, static_cast<OverlayBlock>(block), picture, map);
    if (!image.isNull())
      painter.drawImage(layout.Place(static_cast<OverlayBlock>(block))->topLeft(), image);
  }
}
