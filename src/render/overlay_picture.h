#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/clip_stretch.h"
#include "catalogue/info_text.h"

// What the overlay of a rendered clip shows over one picture: the values
// the information panel shows for that picture in its own recording, the
// name of an event mark that began less than two seconds before it, and
// where the car was.
struct OverlayPicture {
  InfoValues info;
  std::string event;  // the event list's name (UTF-8); empty when none
  bool hasPosition = false;
  double latitude = 0;
  double longitude = 0;
};

struct RoutePoint {
  double latitude = 0;
  double longitude = 0;
};

// The overlay of every picture of a stretch, in the order shown, and the
// fixed positions of the stretch's records for its route map.
struct OverlayPlan {
  std::vector<OverlayPicture> pictures;
  std::vector<RoutePoint> route;
};

// How long an event's name stays on the picture.
inline constexpr std::int64_t kEventShownMs = 2000;

// Reads the sensor tracks of the stretch's recordings. A picture after the
// end of its recording's track holds the values the panel holds there (the
// track's last values). Speeds are shown in `speedUnit`. Nothing, with the
// reason, when a recording cannot be read.
bool PlanOverlay(const ClipStretch& stretch, std::int64_t timeOffsetSeconds, SpeedUnit speedUnit,
                 OverlayPlan& plan, std::string& why);
