#include "views/g_sensor_plan.h"

#include <algorithm>
#include <cmath>

#include "container/sensor_track.h"

namespace {

constexpr double kClampG = 2.0;
constexpr int kRunVertex = 7;

// The record of a frame, when the frame and the record's sequence are in
// range.
const AccelRecord* RecordOf(const SensorTrack& track, std::int64_t frame) {
  if (frame < 0 || frame >= static_cast<std::int64_t>(track.frameIndex.size())) return nullptr;
  const AccelRecord* r = track.frameIndex[static_cast<std::size_t>(frame)];
  if (r == nullptr || r->sequence < 0 ||
      static_cast<std::size_t>(r->sequence) >= track.accels.size()) {
    return nullptr;
  }
  return r;
}

// Collects one repaint's marks and band, frame by frame.
class MarkPass {
 public:
  MarkPass(const SensorTrack& track, const GraphInput& input, GraphPlan* plan)
      : track_(track), input_(input), plan_(plan) {}

  bool Shown(int channel) const {
    return input_.switches[static_cast<std::size_t>(channel)].shownOnGraph;
  }

  // Asks the channels for frame f at window column `column`: speeding first
  // (it never ends the frame), then the others until one classifies.
  void Evaluate(int column, std::int64_t f) {
    if (Shown(kChannelSpeeding)) Handle(kChannelSpeeding, column, f);
    for (const int channel : kMarkChannelOrder) {
      if (!Shown(channel)) continue;
      if (Handle(channel, column, f)) break;
    }
  }

  // The band under an in-between column: frame f speeding, and not the
  // first frame of its stretch.
  void BandCheck(int column, std::int64_t f) {
    if (!Shown(kChannelSpeeding)) return;
    const MarkClass c = Classify(track_, kChannelSpeeding, f, input_.gMarks);
    if (c.icon == 8 && !c.isNew) PaintBand(column);
  }

  void Finish() {
    for (const auto& list : lists_)
      plan_->marks.insert(plan_->marks.end(), list.begin(), list.end());
  }

 private:
  // True when the channel classifies the frame.
  bool Handle(int channel, int column, std::int64_t f) {
    const MarkClass c = Classify(track_, channel, f, input_.gMarks);
    if (c.icon == kNoMark) return false;
    const int owner = OwningChannel(c.icon);
    if (owner != kNoMark && !Shown(owner)) return true;
    if (c.isNew) lists_[static_cast<std::size_t>(channel)].push_back(GraphMark{column, c.icon});
    if (c.icon == 8) PaintBand(column);
    return true;
  }

  void PaintBand(int column) {
    const int end = std::min<int>(column + plan_->bandWidth, static_cast<int>(plan_->band.size()));
    for (int x = std::max(column, 0); x < end; ++x) plan_->band[static_cast<std::size_t>(x)] = true;
  }

  const SensorTrack& track_;
  const GraphInput& input_;
  GraphPlan* plan_;
  std::array<std::vector<GraphMark>, kEventChannelCount> lists_;
};

double AxisValue(const AccelRecord& r, int axis) { return axis == 0 ? r.x : axis == 1 ? r.y : r.z; }

}  // namespace

int ScaleIndexForPeak(double peakG) {
  if (peakG >= 1.5) return 3;
  if (peakG >= 1.0) return 2;
  if (peakG >= 0.5) return 1;
  return 0;
}

int GraphAmplitude(int graphHeight, int scaleIndex) { return (graphHeight - 6) / (scaleIndex + 1); }

FrameWindow FrameWindowFor(int plotWidth, std::int64_t frames, std::int64_t cursorFrame) {
  FrameWindow w;
  w.plotWidth = plotWidth;
  w.ppf = frames > 0 ? static_cast<double>(plotWidth) / static_cast<double>(frames) : 0.0;
  w.step = std::max(w.ppf, 1.0);
  w.start = (1.0 - w.ppf / w.step) * static_cast<double>(cursorFrame);
  return w;
}

int CurveOffset(double g, int amplitude, int half) {
  const double v = std::clamp(g, -kClampG, kClampG);
  return std::clamp(static_cast<int>(amplitude * v), -half, half);
}

void CurveBuilder::Add(int x, int offset) {
  if (points_.empty()) {
    points_.push_back({x, offset});
  } else if (offset == offset_) {
    if (++run_ % kRunVertex == 0) points_.push_back({x, offset});
  } else {
    if (run_ > kRunVertex && points_.back().x != lastX_) points_.push_back({lastX_, offset_});
    points_.push_back({x, offset});
    run_ = 0;
  }
  offset_ = offset;
  lastX_ = x;
}

void CurveBuilder::Flush() {
  if (!points_.empty() && points_.back().x != lastX_) points_.push_back({lastX_, offset_});
}

GraphPlan PlanGraph(const SensorTrack& track, const GraphInput& input) {
  GraphPlan plan;
  const GraphGeometry& g = input.geometry;
  const auto frames = static_cast<std::int64_t>(track.frameIndex.size());
  if (track.accels.empty() || frames == 0 || input.cursorFrame < 0 || input.cursorFrame >= frames ||
      g.clientWidth <= 0) {
    return plan;
  }
  const FrameWindow w = FrameWindowFor(g.clientWidth - g.leftMargin - 1, frames, input.cursorFrame);
  if (w.plotWidth <= 0) return plan;
  plan.drawn = true;
  plan.band.assign(static_cast<std::size_t>(g.clientWidth), false);
  plan.bandWidth = static_cast<int>(w.step) + 1;
  const int half = g.graphHeight / 2;
  const int amplitude = GraphAmplitude(g.graphHeight, input.scaleIndex);
  std::array<CurveBuilder, 3> curves;
  MarkPass pass(track, input, &plan);

  const auto columns = static_cast<std::int64_t>(w.plotWidth / w.step);
  int lastX = 0;
  std::int64_t lastFrame = -1;
  for (std::int64_t k = 0; k < frames && k < columns; ++k) {
    const auto f = static_cast<std::int64_t>(w.start + static_cast<double>(k));
    const AccelRecord* r = RecordOf(track, f);
    if (r == nullptr) break;
    const int x = static_cast<int>(static_cast<double>(k) * w.step);
    if (k > 0) {
      for (int between = lastX + 1; between < x; ++between)
        pass.BandCheck(g.leftMargin + between, f);
    }
    for (int axis = 0; axis < 3; ++axis) {
      if (pass.Shown(axis)) curves[axis].Add(x, CurveOffset(AxisValue(*r, axis), amplitude, half));
    }
    pass.Evaluate(g.leftMargin + x, f);
    lastX = x;
    lastFrame = f;
  }
  for (int axis = 0; axis < 3; ++axis) {
    curves[axis].Flush();
    plan.curves[axis] = curves[axis].points();
  }
  // The column after the last: the next frame, where there is one.
  if (lastFrame >= 0) {
    const std::int64_t next = lastFrame + 1;
    int column = g.leftMargin + lastX + 1;
    if (w.step > 1.0) {
      for (int i = 0; i <= static_cast<int>(w.step); ++i) pass.BandCheck(column++, next);
    }
    pass.Evaluate(column, next);
  }
  pass.Finish();
  return plan;
}
