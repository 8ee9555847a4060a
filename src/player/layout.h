#pragma once

#include <optional>

// A rectangle as the layout computes it: right and bottom are one past the
// last pixel.
struct LayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const LayoutRect&) const = default;
};

struct LayoutInput {
  int clientWidth = 0;
  int clientHeight = 0;
  int zoomCentreX = 0;
  int zoomCentreY = 0;
  int panX = 0;
  int panY = 0;
  float zoom = 1.0f;
  bool keepAspect = false;  // fit the picture's own aspect ratio
  int videoWidth = 0;       // native picture size; 0 when unknown
  int videoHeight = 0;
};

struct LayoutResult {
  LayoutRect videoRect;    // zoomed and panned, before any aspect fitting
  LayoutRect pictureRect;  // where the picture is painted
};

// Places the picture in the video surface: zoom about the centre, pan, and
// with keepAspect a centred picture of the native aspect ratio (2 extra
// pixels right and bottom). Returns nothing for a zoom of 0, a zoom that
// turns the rectangle inside out, or an empty surface.
std::optional<LayoutResult> ComputeLayout(const LayoutInput& input);
