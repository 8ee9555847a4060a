#pragma once

#include <functional>

#include "views/frame_view.h"

class CGoogleMapDlgWrap;

// The map's part of every frame: the frame number goes to the map host, and
// a valid position to the map window, which sends it to the page at once.
class MapPositionView : public FrameView {
 public:
  // `positionShown` runs after a valid position went to the map.
  MapPositionView(CGoogleMapDlgWrap* map, std::function<void()> positionShown)
      : map_(map), positionShown_(std::move(positionShown)) {}
  void ShowFrame(const FrameValues& values) override;

 private:
  CGoogleMapDlgWrap* map_;
  std::function<void()> positionShown_;
};
