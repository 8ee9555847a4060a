#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/overlay_picture.h"

class TileSource;

// The blocks of a rendered clip's overlay, each of which can be switched
// off; by default they sit along the bottom of the picture, clear of its
// top.
enum OverlayBlock : int {
  kBlockTime = 0,  // the date and time
  kBlockSpeed,     // the speed, above the time
  kBlockG,         // the three G values and a G-ball of X and Y with Z as a bar
  kBlockEvents,    // the name of an event mark for two seconds after it begins
  kBlockMap,       // the route of the stretch with the position on it
};
inline constexpr int kOverlayBlockCount = 5;
// The names --overlay takes.
inline constexpr std::array<std::string_view, kOverlayBlockCount> kOverlayBlockNames = {
    "time", "speed", "g", "events", "map"};
using OverlayBlocks = std::array<bool, kOverlayBlockCount>;
inline constexpr OverlayBlocks kAllOverlayBlocks = {true, true, true, true, true};

// The blocks a comma-separated list of kOverlayBlockNames switches on;
// nothing when a name is not one of them.
std::optional<OverlayBlocks> OverlayBlocksFromNames(std::string_view list);
// The names of the blocks that are on, comma-separated, in the table's order.
std::string OverlayBlockNamesOf(const OverlayBlocks& blocks);

enum class OverlayScale { kSmall, kMedium, kLarge };
// The edge of the picture the blocks sit along.
enum class OverlayPlace { kBottom, kTop };

// Where each block sits on a picture of the output's size; scaled with the
// output's height (720 lines at the medium size are the design's size).
// Along the top, the blocks keep their order mirrored top to bottom.
class OverlayLayout {
 public:
  OverlayLayout(QSize picture, const OverlayBlocks& blocks,
                OverlayScale scale = OverlayScale::kMedium,
                OverlayPlace place = OverlayPlace::kBottom);

  // The block's place on the picture; nothing when it is switched off.
  std::optional<QRect> Place(OverlayBlock block) const;
  const OverlayBlocks& blocks() const { return blocks_; }
  double unit() const { return unit_; }

 private:
  OverlayBlocks blocks_;
  double unit_ = 1;
  std::array<QRect, kOverlayBlockCount> places_;
};

// The route map of a stretch: its route in Web Mercator, north up, fitted
// into the map block, over the ground.
struct RouteMap {
  std::vector<RoutePoint> route;
  QImage ground;  // the map block's tiles (RouteGround); null: a plain backing
};

// The tiles of a local source (an MBTiles file or a tile folder) under the
// map block, at the zoom level nearest the route's fit; read from the
// source alone, never from a network. A null image when the block is off,
// the route is empty, the source is a tile server or has none of the tiles.
QImage RouteGround(const OverlayLayout& layout, const std::vector<RoutePoint>& route,
                   const TileSource& tiles);

// Draws one block for one picture in picture coordinates (the painter may
// be translated to draw it into an image of the block's own). Draws nothing
// for a block that is off, for the event block without an event and for
// the map without a route.
void DrawOverlayBlock(QPainter& painter, const OverlayLayout& layout, OverlayBlock block,
                      const OverlayPicture& picture, const RouteMap& map);

// The block drawn into a transparent image of its own place's size
// (premultiplied ARGB), as it is laid over the pictures; a null image when
// the block draws nothing.
QImage OverlayBlockImage(const OverlayLayout& layout, OverlayBlock block,
                         const OverlayPicture& picture, const RouteMap& map);

// Every block's image laid over the picture the painter draws on.
void DrawOverlay(QPainter& painter, const OverlayLayout& layout, const OverlayPicture& picture,
                 const RouteMap& map);
