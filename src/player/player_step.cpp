// The player's picture steps: a step of the paused pipeline, a stepped picture in its place.
#include "player/player.h"

namespace {

constexpr int kStepTimeoutMs = 2000;

}  // namespace

GstSample* CPlayer::StepPipeline() {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return nullptr;
  const std::uint64_t shown = presenter_.FramesShown();
  atStart_ = false;
  const bool sent =
      gst_element_send_event(pipeline, gst_event_new_step(GST_FORMAT_BUFFERS, 1, 1.0, TRUE, FALSE));
  gst_object_unref(pipeline);
  return sent ? presenter_.WaitForPictureAfter(shown, kStepTimeoutMs) : nullptr;
}

void CPlayer::ShowStepped(GstSample* sample, std::int64_t startNs, std::int64_t resumeNs) {
  atStart_ = false;
  steppedNs_ = startNs;
  resumeNs_ = resumeNs;
  presenter_.Show(sample);
}

std::optional<std::int64_t> CPlayer::SteppedTime() const {
  const std::int64_t stepped = steppedNs_;
  if (stepped < 0) return std::nullopt;
  return stepped;
}
