// The player's life: the pipeline made, a movie opened on it and closed, its messages posted.
#include "player/player.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "base/app_message.h"
#include "base/path_text.h"
#include "player/engine_messages.h"
#include "player/rate_request_relay.h"

namespace {

// playbin's GstPlayFlags.
constexpr guint kPlayVideo = 0x1;
constexpr guint kPlayAudio = 0x2;
constexpr guint kPlaySoftVolume = 0x10;
constexpr guint kPlayNativeVideo = 0x40;  // the video sink converts pictures itself

std::mutex gSettingsMutex;
std::string gAudioSinkDescription;

}  // namespace

std::unique_ptr<CPlayer> CPlayer::Create(QObject* eventWindow) {
  GError* error = nullptr;
  if (!gst_init_check(nullptr, nullptr, &error)) {
    g_clear_error(&error);
    return nullptr;
  }
  for (const char* name : {"playbin", "appsink"}) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (factory == nullptr) return nullptr;
    gst_object_unref(factory);
  }
  return std::unique_ptr<CPlayer>(new CPlayer(eventWindow));
}

CPlayer::CPlayer(QObject* eventWindow) : eventWindow_(eventWindow) {}

CPlayer::~CPlayer() { Close(); }

void CPlayer::SetAudioSinkDescription(const std::string& description) {
  std::lock_guard lock(gSettingsMutex);
  gAudioSinkDescription = description;
}

void CPlayer::SetPreferHardwareDecoders(bool on) {
  if (!on || !gst_init_check(nullptr, nullptr, nullptr)) return;
  GList* factories = gst_element_factory_list_get_elements(
      GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO |
          GST_ELEMENT_FACTORY_TYPE_HARDWARE,
      GST_RANK_NONE);
  for (GList* item = factories; item != nullptr; item = item->next) {
    gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(item->data), GST_RANK_PRIMARY + 1);
  }
  gst_plugin_feature_list_free(factories);
}

GstElement* CPlayer::BuildPipeline() {
  GstElement* pipeline = gst_element_factory_make("playbin", nullptr);
  GstElement* videoSink = presenter_.CreateSink();
  if (pipeline == nullptr || videoSink == nullptr) {
    if (pipeline != nullptr) gst_object_unref(pipeline);
    if (videoSink != nullptr) gst_object_unref(gst_object_ref_sink(videoSink));
    return nullptr;
  }
  RelayRateRequestsAside(pipeline);
  // A new bus: the marks of seeks made on the old one never come.
  busSeekNumber_ = seekNumber_;
  guint flags = kPlayVideo | kPlayNativeVideo;
  audioSink_ = nullptr;
  if (!audioDisabled_) {
    std::string description;
    {
      std::lock_guard lock(gSettingsMutex);
      description = gAudioSinkDescription.empty() ? "autoaudiosink" : gAudioSinkDescription;
    }
    GstElement* audioSink = gst_parse_launch(description.c_str(), nullptr);
    if (audioSink != nullptr) {
      flags |= kPlayAudio | kPlaySoftVolume;
      g_object_set(pipeline, "audio-sink", audioSink, nullptr);
      audioSink_ = audioSink;
    }
  }
  g_object_set(pipeline, "uri", uri_.c_str(), "video-sink", videoSink, "flags", flags, "volume",
               volume_.load() / 65535.0, nullptr);
  return pipeline;
}

GstElement* CPlayer::PipelineRef() const {
  std::lock_guard lock(pipelineMutex_);
  return pipeline_ != nullptr ? GST_ELEMENT(gst_object_ref(pipeline_)) : nullptr;
}

PlayerResult CPlayer::OpenFile(const QString& path) {
  Close();
  // The URI is made from the name's bytes, which need not be UTF-8.
  std::error_code error;
  const std::filesystem::path file = std::filesystem::absolute(PathOf(path), error);
  if (error || !std::filesystem::is_regular_file(file, error) || access(file.c_str(), R_OK) != 0) {
    return kResultInvalidArg;
  }
  gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
  if (uri == nullptr) return kResultInvalidArg;
  uri_ = uri;
  g_free(uri);
  audioDisabled_ = false;
  hasDisplay_ = false;
  ended_ = false;
  lastError_ = kResultOk;
  rate_ = 1.0;
  rateDirty_ = false;
  seekNs_ = -1;
  atStart_ = false;
  retryAfterReady_ = false;
  missingPlugin_ = false;
  {
    std::lock_guard lock(missingMutex_);
    missingPlugins_.clear();
  }
  {
    std::lock_guard lock(waitMutex_);
    openOutcome_ = OpenOutcome::Pending;
  }
  presenter_.Clear();
  GstElement* pipeline = BuildPipeline();
  if (pipeline == nullptr) return kResultFail;
  {
    std::lock_guard lock(pipelineMutex_);
    pipeline_ = pipeline;
  }
  playerState_ = OpenPending;
  // The bus thread starts the pipeline.
  StartBusThread();
  return kResultOk;
}

CPlayer::OpenOutcome CPlayer::WaitForOpen(int timeoutMs) {
  std::unique_lock lock(waitMutex_);
  waitCondition_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return openOutcome_ != OpenOutcome::Pending; });
  return openOutcome_;
}

void CPlayer::FinishOpen(OpenOutcome outcome, PlayerResult error) {
  {
    std::lock_guard lock(waitMutex_);
    if (openOutcome_ != OpenOutcome::Pending) return;
    openOutcome_ = outcome;
    if (outcome == OpenOutcome::Failed) lastError_ = error;
  }
  waitCondition_.notify_all();
  Post(outcome == OpenOutcome::Ready ? WM_MEDIA_READY : WM_MEDIA_FAILED);
}

void CPlayer::Post(int message) {
  std::lock_guard lock(postMutex_);
  if (eventWindow_ != nullptr) PostAppMessage(eventWindow_, message, 0, 0);
}

void CPlayer::Silence() {
  std::lock_guard lock(postMutex_);
  eventWindow_ = nullptr;
}

PlayerResult CPlayer::Close() {
  hasDisplay_ = false;
  GstElement* pipeline;
  {
    std::lock_guard lock(pipelineMutex_);
    pipeline = pipeline_;
  }
  if (pipeline != nullptr) {
    playerState_ = Closing;
    StopBusThread();
    {
      std::lock_guard lock(pipelineMutex_);
      pipeline_ = nullptr;
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
  }
  audioSink_ = nullptr;
  presenter_.Clear();
  steppedNs_ = -1;
  resumeNs_ = -1;
  seekNs_ = -1;
  atStart_ = false;
  playerState_ = Closed;
  return kResultOk;
}
