#include "render/clip_render.h"

#include <fcntl.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <array>

#include "catalogue/output_file.h"

namespace {

namespace fs = std::filesystem;

// The elements a render needs beyond the player's, and the Debian package
// that holds each.
constexpr std::pair<const char*, const char*> kElements[] = {
    {"x264enc", "gstreamer1.0-plugins-ugly"},  {"mp4mux", "gstreamer1.0-plugins-good"},
    {"qtdemux", "gstreamer1.0-plugins-good"},  {"aacparse", "gstreamer1.0-plugins-good"},
    {"avenc_aac", "gstreamer1.0-libav"},       {"overlaycomposition", "gstreamer1.0-plugins-base"},
    {"decodebin", "gstreamer1.0-plugins-base"}};

// The encoder's quality: its constant-quality quantizer, as crf 20 looks.
constexpr int kQuantizer = 20;
constexpr int kKeyframeEvery = 60;
constexpr GstClockTime kLookEvery = 100 * GST_MSECOND;

// A descriptor closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int fd() const { return fd_; }
  // The name that opens it again.
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

// The overlay of the render's pictures, drawn as one image per block. A
// block's image is drawn again only when what it shows changes.
class OverlayDrawer {
 public:
  OverlayDrawer(const OverlayPlan& plan, const RenderOptions& options)
      : plan_(plan), options_(options) {}
  OverlayDrawer(const OverlayDrawer&) = delete;
  OverlayDrawer& operator=(const OverlayDrawer&) = delete;
  ~OverlayDrawer() {
    for (Cached& cached : cache_) {
      if (cached.rectangle != nullptr) gst_video_overlay_rectangle_unref(cached.rectangle);
    }
  }

  // The composition for the next picture (of `width` x `height`), or null
  // when nothing is drawn over it.
  GstVideoOverlayComposition* Next(int width, int height) {
    if (!layout_) {
      layout_.emplace(QSize(width, height), options_.blocks, options_.scale, options_.place);
      map_.route = plan_.route;
      map_.ground = RouteGround(*layout_, map_.route, options_.tiles);
    }
    const std::int64_t k = drawn_.load();
    const OverlayPicture& picture = plan_.pictures[static_cast<std::size_t>(
        std::min<std::int64_t>(k, static_cast<std::int64_t>(plan_.pictures.size()) - 1))];
    GstVideoOverlayComposition* composition = nullptr;
    for (int block = 0; block < kOverlayBlockCount; ++block) {
      GstVideoOverlayRectangle* rectangle = Rectangle(static_cast<OverlayBlock>(block), picture);
      if (rectangle == nullptr) continue;
      if (composition == nullptr) {
        composition = gst_video_overlay_composition_new(rectangle);
      } else {
        gst_video_overlay_composition_add_rectangle(composition, rectangle);
      }
    }
    drawn_.store(k + 1);
    return composition;
  }

  std::int64_t drawn() const { return drawn_.load(); }

 private:
  struct Cached {
    std::string key;
    GstVideoOverlayRectangle* rectangle = nullptr;
  };

  static std::string Key(OverlayBlock block, const OverlayPicture& p) {
    const auto text = [](const std::optional<std::string>& t) { return t ? *t : std::string("-"); };
    switch (block) {
      case kBlockTime:
        return text(InfoDateTime(p.info));
      case kBlockSpeed:
        return text(InfoSpeed(p.info));
      case kBlockG:
        return std::to_string(std::llround(p.info.accelX * 1000)) + "," +
               std::to_string(std::llround(p.info.accelY * 1000)) + "," +
               std::to_string(std::llround(p.info.accelZ * 1000));
      case kBlockEvents:
        return p.event;
      case kBlockMap:
        return p.hasPosition ? std::to_string(p.latitude) + "," + std::to_string(p.longitude) : "-";
    }
    return {};
  }

  GstVideoOverlayRectangle* Rectangle(OverlayBlock block, const OverlayPicture& picture) {
    Cached& cached = cache_[static_cast<std::size_t>(block)];
    std::string key = Key(block, picture);
    if (cached.rectangle != nullptr && cached.key == key) return cached.rectangle;
    QImage image = OverlayBlockImage(*layout_, block, picture, map_);
    if (image.isNull()) return nullptr;
    const QRect place = *layout_->Place(block);
    // GStreamer's blend takes straight alpha.
    image.convertTo(QImage::Format_ARGB32);
    GstBuffer* pixels =
        gst_buffer_new_memdup(image.constBits(), static_cast<gsize>(image.sizeInBytes()));
    gst_buffer_add_video_meta(
        pixels, GST_VIDEO_FRAME_FLAG_NONE, GST_VIDEO_OVERLAY_COMPOSITION_FORMAT_RGB,
        static_cast<guint>(image.width()), static_cast<guint>(image.height()));
    if (cached.rectangle != nullptr) gst_video_overlay_rectangle_unref(cached.rectangle);
    cached.rectangle = gst_video_overlay_rectangle_new_raw(
        pixels, place.x(), place.y(), static_cast<guint>(place.width()),
        static_cast<guint>(place.height()), GST_VIDEO_OVERLAY_FORMAT_FLAG_NONE);
    gst_buffer_unref(pixels);
    cached.key = std::move(key);
    return cached.rectangle;
  }

  const OverlayPlan& plan_;
  const RenderOptions& options_;
  std::optional<OverlayLayout> layout_;
  RouteMap map_;
  std::array<Cached, kOverlayBlockCount> cache_;
  std::atomic<std::int64_t> drawn_{0};
};

GstVideoOverlayComposition* OnDraw(GstElement*, GstSample* sample, gpointer data) {
  GstVideoInfo info;
  if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return nullptr;
  return static_cast<OverlayDrawer*>(data)->Next(GST_VIDEO_INFO_WIDTH(&info),
                                                 GST_VIDEO_INFO_HEIGHT(&info));
}

// The muxer, for the sound the demuxer finds.
struct SoundLink {
  GstElement* pipeline = nullptr;
  GstElement* mux = nullptr;
  // The length of the encoder's first frame, once it has passed.
  GstClockTime priming = GST_CLOCK_TIME_NONE;
};

// The AAC encoder (libavcodec's) begins with one frame of priming, which
// the MP4 would play before the sound: that frame is left out and the
// others come its length earlier, so that the sound stays with its
// pictures.
GstPadProbeReturn SkipPriming(GstPad*, GstPadProbeInfo* info, gpointer data) {
  GstClockTime& priming = static_cast<SoundLink*>(data)->priming;
  GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
  if (priming == GST_CLOCK_TIME_NONE) {
    priming = GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0;
    return GST_PAD_PROBE_DROP;
  }
  buffer = gst_buffer_make_writable(buffer);
  if (GST_BUFFER_PTS_IS_VALID(buffer))
    GST_BUFFER_PTS(buffer) -= std::min(priming, GST_BUFFER_PTS(buffer));
  if (GST_BUFFER_DTS_IS_VALID(buffer))
    GST_BUFFER_DTS(buffer) -= std::min(priming, GST_BUFFER_DTS(buffer));
  GST_PAD_PROBE_INFO_DATA(info) = buffer;
  return GST_PAD_PROBE_OK;
}

// The sound's way into the MP4: AAC as it is; any other sound decoded and
// encoded as AAC. The encoder holds back many pictures before the first
// comes out; the sound waits for them in a queue without a limit (it is
// small), so that the demuxer never stops on it.
constexpr char kAacSound[] =
    "queue name=in max-size-buffers=0 max-size-bytes=0 max-size-time=0 ! aacparse name=out";
constexpr char kOtherSound[] =
    "queue name=in max-size-buffers=0 max-size-bytes=0 max-size-time=0 ! decodebin ! "
    "audioconvert ! audioresample ! avenc_aac ! aacparse name=out";

// The pad of the element named `name` in `bin`, as a pad of the bin.
GstPad* GhostPad(GstElement* bin, const char* name, const char* pad) {
  GstElement* element = gst_bin_get_by_name(GST_BIN(bin), name);
  GstPad* inner = gst_element_get_static_pad(element, pad);
  GstPad* ghost = gst_ghost_pad_new(pad, inner);
  gst_element_add_pad(bin, ghost);
  gst_object_unref(inner);
  gst_object_unref(element);
  return ghost;
}

// Links the demuxer's sound pad to the muxer. The demuxer adds all its pads
// before it sends anything, so the muxer gets its sound pad before it
// starts.
void OnDemuxPad(GstElement*, GstPad* pad, gpointer data) {
  auto* link = static_cast<SoundLink*>(data);
  if (!g_str_has_prefix(GST_PAD_NAME(pad), "audio")) return;
  GstCaps* caps = gst_pad_get_current_caps(pad);
  if (caps == nullptr) caps = gst_pad_query_caps(pad, nullptr);
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  int version = 0;
  const bool aac = gst_structure_has_name(s, "audio/mpeg") &&
                   gst_structure_get_int(s, "mpegversion", &version) && version == 4;
  gst_caps_unref(caps);
  // Not ghosted by the parser: it would take the first unlinked pads,
  // which the decoder's late pad leaves ambiguous.
  GstElement* way = gst_parse_bin_from_description(aac ? kAacSound : kOtherSound, FALSE, nullptr);
  if (way == nullptr) return;
  gst_bin_add(GST_BIN(link->pipeline), way);
  GstPad* muxSink = gst_element_request_pad_simple(link->mux, "audio_%u");
  gst_pad_link(pad, GhostPad(way, "in", "sink"));
  GstPad* waySrc = GhostPad(way, "out", "src");
  if (!aac) gst_pad_add_probe(waySrc, GST_PAD_PROBE_TYPE_BUFFER, SkipPriming, link, nullptr);
  gst_pad_link(waySrc, muxSink);
  gst_object_unref(muxSink);
  gst_element_sync_state_with_parent(way);
}

std::string MissingElements() {
  std::string missing;
  for (const auto& [element, package] : kElements) {
    GstElementFactory* factory = gst_element_factory_find(element);
    if (factory != nullptr) {
      gst_object_unref(factory);
      continue;
    }
    missing += std::string(missing.empty() ? "" : "; ") + "the GStreamer element " + element +
               " is missing: install the package " + package;
  }
  return missing;
}

std::string PipelineText(const RenderOptions& options, const Descriptor& source,
                         const OutputFile& output, const Descriptor& faststart) {
  const std::string scale = options.size == RenderSize::k720p
                                ? "videoscale ! video/x-raw,format=I420,width=1280,height=720,"
                                  "pixel-aspect-ratio=1/1"
                                : "video/x-raw,format=I420";
  return "filesrc location=" + source.Path() +
         " ! qtdemux name=demux demux.video_0 ! queue ! decodebin ! videoconvert ! " + scale +
         " ! overlaycomposition name=overlay ! queue ! x264enc speed-preset=" + options.preset +
         " pass=qual quantizer=" + std::to_string(kQuantizer) +
         " key-int-max=" + std::to_string(kKeyframeEvery) +
         " ! video/x-h264,profile=high ! mp4mux name=mux faststart=true" +
         (faststart.fd() >= 0 ? " faststart-file=" + faststart.Path() : std::string()) +
         " ! fdsink fd=" + std::to_string(output.fd());
}

RenderResult Failed(ClipError error, std::string why) { return {error, std::move(why), {}}; }

}  // namespace

RenderResult RenderClip(const ClipStretch& stretch, const fs::path& output,
                        const RenderOptions& options) {
  if (!gst_is_initialized()) gst_init(nullptr, nullptr);
  if (std::string missing = MissingElements(); !missing.empty()) {
    return Failed(ClipError::kFailed, missing);
  }
  if (std::find(std::begin(kRenderPresets), std::end(kRenderPresets), options.preset) ==
      std::end(kRenderPresets)) {
    return Failed(ClipError::kFailed, options.preset + " is not one of the encoder's presets");
  }
  RenderResult result;
  OverlayPlan plan;
  if (!PlanOverlay(stretch, options.timeOffsetSeconds, options.speedUnit, plan, result.why)) {
    return Failed(ClipError::kUnreadable, result.why);
  }
  RenderOptions chosen = options;
  if (chosen.blocks[kBlockMap] && plan.route.empty()) {
    chosen.blocks[kBlockMap] = false;
    result.note = "the stretch has no valid position: the route map is left out";
  }

  OutputFile file;
  if (!file.Create(output, result.why)) return Failed(ClipError::kFailed, result.why);
  // The pictures and sound of the stretch as a lossless clip, read back
  // through a descriptor once its name is gone.
  const fs::path kept = output.parent_path() / ("." + output.filename().string() + ".render.MOV");
  const ClipResult clip = WriteClip(stretch, kept, {.running = options.running});
  if (clip.error != ClipError::kNone) return Failed(clip.error, clip.why);
  const Descriptor source(open(kept.c_str(), O_RDONLY | O_CLOEXEC));
  std::error_code ignored;
  fs::remove(kept, ignored);
  if (source.fd() < 0) return Failed(ClipError::kFailed, kept.string() + " cannot be read back");
  // The muxer's index is built in a file of its own; unnamed where the
  // folder's file system allows it.
  const fs::path folder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
  const Descriptor faststart(open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));

  GError* error = nullptr;
  GstElement* pipeline =
      gst_parse_launch(PipelineText(chosen, source, file, faststart).c_str(), &error);
  if (pipeline == nullptr || error != nullptr) {
    result.why = error != nullptr ? error->message : "the pipeline cannot be built";
    if (error != nullptr) g_error_free(error);
    if (pipeline != nullptr) gst_object_unref(pipeline);
    return Failed(ClipError::kFailed, result.why);
  }
  OverlayDrawer drawer(plan, chosen);
  SoundLink sound;
  sound.pipeline = pipeline;
  sound.mux = gst_bin_get_by_name(GST_BIN(pipeline), "mux");
  GstElement* overlay = gst_bin_get_by_name(GST_BIN(pipeline), "overlay");
  GstElement* demux = gst_bin_get_by_name(GST_BIN(pipeline), "demux");
  g_signal_connect(overlay, "draw", G_CALLBACK(OnDraw), &drawer);
  g_signal_connect(demux, "pad-added", G_CALLBACK(OnDemuxPad), &sound);
  gst_object_unref(overlay);
  gst_object_unref(demux);

  GstBus* bus = gst_element_get_bus(pipeline);
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  std::int64_t posted = -1;
  for (;;) {
    if (const std::int64_t drawn = drawer.drawn(); options.sink != nullptr && drawn != posted) {
      options.sink->Post(ClipOptions::kProgress, static_cast<std::intptr_t>(drawn),
                         static_cast<std::intptr_t>(stretch.pictures));
      posted = drawn;
    }
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, kLookEvery, static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
    if (options.running != nullptr && !options.running->load()) {
      result.error = ClipError::kCancelled;
      result.why = "the render was cancelled";
    }
    if (message != nullptr) {
      if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* failure = nullptr;
        gst_message_parse_error(message, &failure, nullptr);
        result.error = ClipError::kFailed;
        result.why = output.string() + ": " + (failure != nullptr ? failure->message : "failed");
        if (failure != nullptr) g_error_free(failure);
      }
      gst_message_unref(message);
      if (result.error == ClipError::kNone) break;  // the end of the stream
    }
    if (result.error != ClipError::kNone) break;
  }
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(bus);
  gst_object_unref(sound.mux);
  gst_object_unref(pipeline);
  if (result.error == ClipError::kNone && drawer.drawn() != stretch.pictures) {
    result.error = ClipError::kFailed;
    result.why = "the decoder gave " + std::to_string(drawer.drawn()) + " pictures of " +
                 std::to_string(stretch.pictures);
  }
  if (result.error == ClipError::kNone && !file.Commit(result.why))
    result.error = ClipError::kFailed;
  if (options.sink != nullptr)
    options.sink->Post(ClipOptions::kFinished, 0, result.error == ClipError::kNone);
  if (result.error != ClipError::kNone) result.note.clear();
  return result;
}
