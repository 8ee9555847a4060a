#include "player/video_presenter.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QPainter>
#include <chrono>

namespace {

// The pixels of one sample, mapped for reading while the object lives.
class MappedFrame {
 public:
  explicit MappedFrame(GstSample* sample) {
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (caps == nullptr || buffer == nullptr || !gst_video_info_from_caps(&info_, caps)) return;
    mapped_ = gst_video_frame_map(&frame_, &info_, buffer, GST_MAP_READ);
  }
  ~MappedFrame() {
    if (mapped_) gst_video_frame_unmap(&frame_);
  }
  MappedFrame(const MappedFrame&) = delete;
  MappedFrame& operator=(const MappedFrame&) = delete;

  // An image over the mapped pixels (no copy); null when mapping failed.
  QImage Image() const {
    if (!mapped_) return {};
    return QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame_, 0)),
                  GST_VIDEO_FRAME_WIDTH(&frame_), GST_VIDEO_FRAME_HEIGHT(&frame_),
                  GST_VIDEO_FRAME_PLANE_STRIDE(&frame_, 0), QImage::Format_RGB32);
  }

 private:
  GstVideoInfo info_{};
  GstVideoFrame frame_{};
  bool mapped_ = false;
};

}  // namespace

std::optional<std::int64_t> StreamTimeOf(GstSample* sample) {
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  const GstSegment* segment = gst_sample_get_segment(sample);
  if (buffer == nullptr || segment == nullptr || !GST_BUFFER_PTS_IS_VALID(buffer)) return {};
  guint64 time = 0;
  if (gst_segment_to_stream_time_full(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer), &time) !=
      1) {
    return {};
  }
  return static_cast<std::int64_t>(time);
}

VideoPresenter::~VideoPresenter() {
  Clear();
  if (converter_ != nullptr) gst_video_converter_free(converter_);
  if (convertCaps_ != nullptr) gst_caps_unref(convertCaps_);
}

GstElement* VideoPresenter::CreateSink() {
  // The conversion to 32-bit pictures runs on both cores: at x4 a 1080p
  // movie needs 120 of them a second.
  GstElement* bin = gst_parse_bin_from_description(
      "videoconvert n-threads=2 ! appsink name=presenter", TRUE, nullptr);
  if (bin == nullptr) return nullptr;
  GstElement* sink = gst_bin_get_by_name(GST_BIN(bin), "presenter");
  GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
  // Only the newest picture matters: a picture that is not taken in time is
  // replaced by the next one.
  g_object_set(sink, "caps", caps, "sync", TRUE, "max-buffers", 1u, "drop", TRUE, "qos", TRUE,
               "enable-last-sample", FALSE, nullptr);
  gst_caps_unref(caps);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_preroll = &VideoPresenter::OnNewPreroll;
  callbacks.new_sample = &VideoPresenter::OnNewSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
  gst_object_unref(sink);
  return bin;
}

void VideoPresenter::SetFrameCallback(std::function<void()> callback) {
  std::lock_guard lock(mutex_);
  frameCallback_ = std::move(callback);
}

GstFlowReturn VideoPresenter::OnNewPreroll(GstAppSink* sink, gpointer self) {
  GstSample* sample = gst_app_sink_pull_preroll(sink);
  if (sample != nullptr) static_cast<VideoPresenter*>(self)->StoreFromPipeline(sample);
  return GST_FLOW_OK;
}

GstFlowReturn VideoPresenter::OnNewSample(GstAppSink* sink, gpointer self) {
  GstSample* sample = gst_app_sink_pull_sample(sink);
  if (sample == nullptr) return GST_FLOW_EOS;
  static_cast<VideoPresenter*>(self)->StoreFromPipeline(sample);
  return GST_FLOW_OK;
}

void VideoPresenter::StoreFromPipeline(GstSample* sample) {
  if (held_) {
    gst_sample_unref(sample);
    return;
  }
  Store(sample);
}

void VideoPresenter::Store(GstSample* sample) {
  std::function<void()> callback;
  {
    std::lock_guard lock(mutex_);
    GstBuffer* previous = newest_ != nullptr ? gst_sample_get_buffer(newest_) : nullptr;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    // A playing pipeline hands its prerolled picture over once more.
    if (previous == buffer) {
      gst_sample_unref(sample);
      return;
    }
    if (newest_ != nullptr) gst_sample_unref(newest_);
    newest_ = sample;
    callback = frameCallback_;
    ++framesShown_;
  }
  arrived_.notify_all();
  if (callback) callback();
}

GstSample* VideoPresenter::TakeNewest() const {
  std::lock_guard lock(mutex_);
  return newest_ != nullptr ? gst_sample_ref(newest_) : nullptr;
}

void VideoPresenter::Show(GstSample* sample) {
  if (GstSample* shown = AsBgrx(sample)) Store(shown);
}

GstSample* VideoPresenter::AsBgrx(GstSample* sample) {
  GstVideoInfo from;
  GstCaps* caps = gst_sample_get_caps(sample);
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  if (caps == nullptr || buffer == nullptr || !gst_video_info_from_caps(&from, caps)) {
    return nullptr;
  }
  if (GST_VIDEO_INFO_FORMAT(&from) == GST_VIDEO_FORMAT_BGRx) return gst_sample_ref(sample);
  std::lock_guard lock(convertMutex_);
  if (converter_ == nullptr || !gst_video_info_is_equal(&from, &convertFrom_)) {
    if (converter_ != nullptr) gst_video_converter_free(converter_);
    if (convertCaps_ != nullptr) gst_caps_unref(convertCaps_);
    convertFrom_ = from;
    gst_video_info_set_format(&convertTo_, GST_VIDEO_FORMAT_BGRx, GST_VIDEO_INFO_WIDTH(&from),
                              GST_VIDEO_INFO_HEIGHT(&from));
    convertTo_.fps_n = from.fps_n;
    convertTo_.fps_d = from.fps_d;
    convertTo_.par_n = from.par_n;
    convertTo_.par_d = from.par_d;
    convertCaps_ = gst_video_info_to_caps(&convertTo_);
    // On both cores, as the pipeline's own conversion.
    converter_ = gst_video_converter_new(
        &convertFrom_, &convertTo_,
        gst_structure_new("options", GST_VIDEO_CONVERTER_OPT_THREADS, G_TYPE_UINT, 2u, nullptr));
    if (converter_ == nullptr) return nullptr;
  }
  GstBuffer* pixels = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&convertTo_), nullptr);
  gst_buffer_copy_into(
      pixels, buffer,
      static_cast<GstBufferCopyFlags>(GST_BUFFER_COPY_FLAGS | GST_BUFFER_COPY_TIMESTAMPS), 0,
      static_cast<gsize>(-1));
  GstVideoFrame in{};
  GstVideoFrame out{};
  bool converted = false;
  if (gst_video_frame_map(&in, &convertFrom_, buffer, GST_MAP_READ)) {
    if (gst_video_frame_map(&out, &convertTo_, pixels, GST_MAP_WRITE)) {
      gst_video_converter_frame(converter_, &in, &out);
      gst_video_frame_unmap(&out);
      converted = true;
    }
    gst_video_frame_unmap(&in);
  }
  GstSample* result =
      converted ? gst_sample_new(pixels, convertCaps_, gst_sample_get_segment(sample), nullptr)
                : nullptr;
  gst_buffer_unref(pixels);
  return result;
}

GstSample* VideoPresenter::WaitForPictureAfter(std::uint64_t shown, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return framesShown_.load() > shown && newest_ != nullptr; })) {
    return nullptr;
  }
  return gst_sample_ref(newest_);
}

QSize VideoPresenter::VideoSize() const {
  GstSample* sample = TakeNewest();
  if (sample == nullptr) return {};
  GstVideoInfo info;
  QSize size;
  GstCaps* caps = gst_sample_get_caps(sample);
  if (caps != nullptr && gst_video_info_from_caps(&info, caps)) {
    size = QSize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
  }
  gst_sample_unref(sample);
  return size;
}

double VideoPresenter::FrameRate() const {
  GstSample* sample = TakeNewest();
  if (sample == nullptr) return 0.0;
  GstVideoInfo info;
  double rate = 0.0;
  GstCaps* caps = gst_sample_get_caps(sample);
  if (caps != nullptr && gst_video_info_from_caps(&info, caps) && GST_VIDEO_INFO_FPS_D(&info) > 0) {
    rate = static_cast<double>(GST_VIDEO_INFO_FPS_N(&info)) / GST_VIDEO_INFO_FPS_D(&info);
  }
  gst_sample_unref(sample);
  return rate;
}

QImage VideoPresenter::CurrentImage() const {
  GstSample* sample = TakeNewest();
  if (sample == nullptr) return {};
  QImage image;
  {
    MappedFrame frame(sample);
    image = frame.Image().copy();
  }
  gst_sample_unref(sample);
  return image;
}

bool VideoPresenter::Paint(QPainter& painter, const QRect& target, bool rotate180) const {
  GstSample* sample = TakeNewest();
  if (sample == nullptr) return false;
  bool painted = false;
  {
    MappedFrame frame(sample);
    QImage image = frame.Image();
    if (!image.isNull()) {
      painter.save();
      if (rotate180) {
        painter.translate(target.center() + QPointF(0.5, 0.5));
        painter.rotate(180);
        painter.translate(-(target.center() + QPointF(0.5, 0.5)));
      }
      painter.drawImage(target, image);
      painter.restore();
      painted = true;
    }
  }
  gst_sample_unref(sample);
  return painted;
}

void VideoPresenter::Clear() {
  std::lock_guard lock(mutex_);
  if (newest_ != nullptr) gst_sample_unref(newest_);
  newest_ = nullptr;
  framesShown_ = 0;
}
