#include "plain_pipeline.h"

PlainPipeline::PlainPipeline(const std::string& path) {
  const std::string description = "filesrc location=\"" + path +
                                  "\" ! qtdemux ! h264parse ! avdec_h264 ! videoconvert ! "
                                  "video/x-raw,format=BGRx ! fakesink sync=true";
  pipeline_ = gst_parse_launch(description.c_str(), nullptr);
}

PlainPipeline::~PlainPipeline() {
  if (pipeline_ == nullptr) return;
  gst_element_set_state(pipeline_, GST_STATE_NULL);
  gst_object_unref(pipeline_);
}

bool PlainPipeline::Preroll() {
  return pipeline_ != nullptr &&
         gst_element_set_state(pipeline_, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
         Settle();
}

bool PlainPipeline::SeekExact(std::int64_t nanoseconds) {
  return gst_element_seek_simple(
             pipeline_, GST_FORMAT_TIME,
             static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), nanoseconds) &&
         Settle();
}

bool PlainPipeline::Settle() {
  return gst_element_get_state(pipeline_, nullptr, nullptr, 10 * GST_SECOND) ==
         GST_STATE_CHANGE_SUCCESS;
}
