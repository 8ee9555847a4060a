#pragma once

#include <cstdint>
#include <optional>

#include "container/sensor_records.h"

// One frame's sensor values, copied out of the track under the engine's
// lock by the main window's sync. The copies' links to other records are
// cleared: a view never reaches into the track.
struct FrameValues {
  std::int32_t frame = -1;
  std::optional<AccelRecord> accel;
  std::optional<PositionRecord> position;  // linked to the acceleration record
  std::optional<VehicleRecord> vehicle;
};

// A view that follows the frame on screen: the information panel, the
// G-sensor graph's cursor, the map's position, the meters. The main window
// hands each the same values on every sync.
class FrameView {
 public:
  virtual ~FrameView() = default;
  virtual void ShowFrame(const FrameValues& values) = 0;
};
