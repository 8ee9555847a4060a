#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "container/event_marks.h"

class SensorTrack;

// What the G-sensor graph draws for one repaint, worked out from the sensor
// track without any drawing: the three axis curves, the columns under the
// speeding band and the event marks. The widget turns the plan into pixels.

// The graph's drawing area: a 50-pixel label column at the left, then the
// plot; graphHeight is the background's height (150), clientHeight the
// window's.
struct GraphGeometry {
  int clientWidth = 0;
  int clientHeight = 0;
  int graphHeight = 150;
  int leftMargin = 50;
};

// The scale index 0..3 for the track's largest |G|: 3 from 1.5 G, 2 from
// 1.0 G, 1 from 0.5 G, else 0. The background shows 0.5, 1, 1.5 or 2 G.
int ScaleIndexForPeak(double peakG);

// Pixels per G: (graph height - 6) / (scale index + 1), an integer.
int GraphAmplitude(int graphHeight, int scaleIndex);

// The window of frames the plot shows. With fewer frames than plot pixels
// the whole recording is spread over the plot (step pixels a frame, start
// 0); otherwise one frame a pixel, and the window moves with the cursor.
struct FrameWindow {
  int plotWidth = 0;
  double ppf = 0;    // plot pixels per frame
  double step = 1;   // pixels per shown frame, at least 1
  double start = 0;  // the first shown frame
};
FrameWindow FrameWindowFor(int plotWidth, std::int64_t frames, std::int64_t cursorFrame);

// The pixel offset of a G value from the mid-line: clamped to +-2 G, then to
// +-half the graph height.
int CurveOffset(double g, int amplitude, int half);

// A polyline vertex: x from the left of the window, y an offset above the
// mid-line.
struct CurvePoint {
  int x = 0;
  int offset = 0;
  bool operator==(const CurvePoint&) const = default;
};

// Builds one axis's polyline. A vertex is added where the offset changes and
// on every 7th frame of a run of equal offsets; when the offset changes after
// a run of more than 7 equal frames, the flat stretch first reaches the run's
// last point, then the step goes to the new value.
class CurveBuilder {
 public:
  void Add(int x, int offset);
  // Draws the pending stretch to the last added column.
  void Flush();
  const std::vector<CurvePoint>& points() const { return points_; }

 private:
  std::vector<CurvePoint> points_;
  int offset_ = 0;
  int run_ = 0;
  int lastX_ = 0;
};

// One mark: a labelled line at a window column.
struct GraphMark {
  int column = 0;
  int icon = kNoMark;
  bool operator==(const GraphMark&) const = default;
};

struct GraphPlan {
  std::array<std::vector<CurvePoint>, 3> curves;  // X, Y, Z (empty when hidden)
  std::vector<GraphMark> marks;                   // channel by channel, in column order
  // Per window column: under the speeding band.
  std::vector<bool> band;
  int bandWidth = 1;   // int(step) + 1: the columns a speeding frame covers
  bool drawn = false;  // false when the track gave nothing to draw
};

struct GraphInput {
  GraphGeometry geometry;
  std::int64_t cursorFrame = 0;
  int scaleIndex = 1;
  bool gMarks = true;
  EventChannelSwitches switches;
};

// Works out curves, band and marks. Nothing is drawn without acceleration
// records, with an empty frame index, with the cursor not inside the frame
// index, or where a frame's record lies outside the records.
GraphPlan PlanGraph(const SensorTrack& track, const GraphInput& input);
