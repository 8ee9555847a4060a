#include "player/group_decoder.h"

#include <gst/app/gstappsink.h>

#include <chrono>

namespace {

constexpr GstClockTime kStartTimeout = 10 * GST_SECOND;
constexpr GstClockTime kPullSlice = 200 * GST_MSECOND;
constexpr auto kStallTimeout = std::chrono::seconds(10);

// Only the picture is decoded, into the decoder's own format: a decoded
// picture kept is less than half the size of a BGRx one, and only the
// pictures shown are converted (by the presenter).
constexpr const char* kDescription =
    "filesrc name=source ! qtdemux name=demux demux.video_0 ! queue ! decodebin ! "
    "appsink name=pictures caps=video/x-raw sync=false enable-last-sample=false";

}  // namespace

GroupDecoder::~GroupDecoder() { Release(); }

void GroupDecoder::Release() {
  if (pipeline_ == nullptr) return;
  gst_element_set_state(pipeline_, GST_STATE_NULL);
  gst_object_unref(pipeline_);
  pipeline_ = nullptr;
  sink_ = nullptr;
}

bool GroupDecoder::Prepare() {
  if (pipeline_ != nullptr) return true;
  GstElement* pipeline = gst_parse_launch(kDescription, nullptr);
  if (pipeline == nullptr) return false;
  GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
  g_object_set(source, "location", path_.c_str(), nullptr);
  gst_object_unref(source);
  pipeline_ = pipeline;
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "pictures");
  sink_ = sink;
  gst_object_unref(sink);
  if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
    Release();
    return false;
  }
  return true;
}

bool GroupDecoder::Start() {
  if (!Prepare()) return false;
  if (gst_element_get_state(pipeline_, nullptr, nullptr, kStartTimeout) !=
      GST_STATE_CHANGE_SUCCESS) {
    Release();
    return false;
  }
  return true;
}

std::size_t GroupDecoder::PictureBytes() {
  // The size of the picture the pipeline prerolled with, decoder's padding
  // included.
  std::lock_guard lock(using_);
  if (pictureBytes_ == 0 && Start()) {
    if (GstSample* sample = gst_app_sink_try_pull_preroll(GST_APP_SINK(sink_), 0)) {
      pictureBytes_ = gst_buffer_get_size(gst_sample_get_buffer(sample));
      gst_sample_unref(sample);
    }
  }
  return pictureBytes_;
}

bool GroupDecoder::Failed() const {
  GstBus* bus = gst_element_get_bus(pipeline_);
  bool failed = false;
  while (GstMessage* message = gst_bus_pop(bus)) {
    failed = failed || GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
    gst_message_unref(message);
  }
  gst_object_unref(bus);
  return failed;
}

bool GroupDecoder::Decode(std::int64_t startNs, std::int64_t stopNs,
                          const std::function<void(GstSample*)>& take,
                          const std::atomic<bool>* cancel) {
  std::lock_guard lock(using_);
  if (!Start()) return false;
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
  // The seek's preroll is waited for: until then the sink may still report
  // the end of the stretch before.
  if (!gst_element_seek(pipeline_, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                        std::max<std::int64_t>(startNs, 0), GST_SEEK_TYPE_SET, stopNs) ||
      gst_element_get_state(pipeline_, nullptr, nullptr, kStartTimeout) ==
          GST_STATE_CHANGE_FAILURE ||
      gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    return false;
  }
  bool ok = true;
  auto lastPicture = std::chrono::steady_clock::now();
  while (!gst_app_sink_is_eos(GST_APP_SINK(sink_))) {
    if (cancel != nullptr && *cancel) {
      ok = false;
      break;
    }
    GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink_), kPullSlice);
    if (sample != nullptr) {
      take(sample);
      gst_sample_unref(sample);
      lastPicture = std::chrono::steady_clock::now();
    } else if (Failed() || std::chrono::steady_clock::now() - lastPicture > kStallTimeout) {
      ok = false;
      break;
    }
  }
  gst_element_set_state(pipeline_, GST_STATE_PAUSED);
  return ok && !Failed();
}
