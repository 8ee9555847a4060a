#pragma once

#include <QImage>

// The still pictures that take the map's place, drawn by the viewer.
enum class MapAreaContent {
  kMap,          // the map window
  kNoMap,        // picture 164: no position to show (or the map is still starting)
  kUnreachable,  // picture 324: the map service cannot be reached
};

struct MapAreaState {
  bool positionSet = false;
  bool reachable = false;
  bool trackHasPositions = false;
  bool indexValid = false;
  bool parking = false;
  bool mapUnavailable = false;
  bool mapPageReady = false;
};

// What the map area shows.
MapAreaContent ChooseMapAreaContent(const MapAreaState& state);

// The picture of `content` (kNoMap or kUnreachable) at `size`.
QImage MapAreaPicture(MapAreaContent content, const QSize& size);
