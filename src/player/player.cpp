#include "player/player.h"

#include <gst/pbutils/pbutils.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "app/app_message.h"
#include "app/path_text.h"
#include "player/engine_messages.h"

namespace {

// playbin's GstPlayFlags.
constexpr guint kPlayVideo = 0x1;
constexpr guint kPlayAudio = 0x2;
constexpr guint kPlaySoftVolume = 0x10;
constexpr guint kPlayNativeVideo = 0x40;  // the video sink converts pictures itself

constexpr auto kEndedDelay = std::chrono::milliseconds(200);
constexpr GstClockTime kBusPollTimeout = 100 * GST_MSECOND;
constexpr GstClockTime kSeekSettleTimeout = 2 * GST_SECOND;
constexpr int kStepTimeoutMs = 2000;

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
  playerState_ = Ready;
  StartBusThread();
  playerState_ = OpenPending;
  // A sink that cannot start reports its error on the bus.
  gst_element_set_state(pipeline, GST_STATE_PAUSED);
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

void CPlayer::StartBusThread() {
  busStop_ = false;
  busThread_ = std::thread([this] { BusLoop(); });
}

void CPlayer::StopBusThread() {
  if (!busThread_.joinable()) return;
  {
    std::lock_guard lock(waitMutex_);
    busStop_ = true;
  }
  waitCondition_.notify_all();
  if (GstElement* pipeline = PipelineRef()) {
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_post(bus, gst_message_new_application(GST_OBJECT(pipeline),
                                                  gst_structure_new_empty("kestrel-close")));
    gst_object_unref(bus);
    gst_object_unref(pipeline);
  }
  busThread_.join();
}

void CPlayer::BusLoop() {
  while (!busStop_) {
    GstElement* pipeline = PipelineRef();
    if (pipeline == nullptr) return;
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_object_unref(pipeline);
    GstMessage* message = gst_bus_timed_pop(bus, kBusPollTimeout);
    gst_object_unref(bus);
    if (message == nullptr) continue;
    if (!busStop_ && playerState_ != Closing) HandleMessage(message);
    gst_message_unref(message);
  }
}

void CPlayer::HandleMessage(GstMessage* message) {
  GstElement* pipeline = PipelineRef();
  const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline);
  gst_object_unref(pipeline);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
      OnError(message);
      break;
    case GST_MESSAGE_ASYNC_DONE:
      if (fromPipeline) seekNs_ = -1;
      if (playerState_ == OpenPending) OnPipelineReady();
      break;
    case GST_MESSAGE_STATE_CHANGED: {
      GstState oldState;
      GstState newState;
      gst_message_parse_state_changed(message, &oldState, &newState, nullptr);
      if (fromPipeline && oldState == GST_STATE_PLAYING && newState == GST_STATE_PAUSED) {
        ApplyVolume();
        Post(WM_MEDIA_PAUSED);
      }
      break;
    }
    case GST_MESSAGE_EOS:
      OnPresentationEnded();
      break;
    case GST_MESSAGE_ELEMENT:
      if (gst_is_missing_plugin_message(message)) NoteMissingPlugin(message);
      break;
    default:
      break;
  }
}

void CPlayer::OnError(GstMessage* message) {
  GError* error = nullptr;
  gst_message_parse_error(message, &error, nullptr);
  const bool missingDecoder =
      error != nullptr &&
      (g_error_matches(error, GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN) ||
       g_error_matches(error, GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND));
  g_clear_error(&error);
  GstElement* audioSink = audioSink_;
  const bool fromAudio =
      audioSink != nullptr &&
      (GST_MESSAGE_SRC(message) == GST_OBJECT(audioSink) ||
       gst_object_has_as_ancestor(GST_MESSAGE_SRC(message), GST_OBJECT(audioSink)));
  if (fromAudio && !audioDisabled_) {
    RetryWithoutAudio();
    return;
  }
  const PlayerResult result =
      missingDecoder || missingPlugin_ ? kResultMissingDecoder : kResultFail;
  if (playerState_ == OpenPending) {
    // The movie never becomes ready; the open has failed for good.
    FinishOpen(OpenOutcome::Failed, result);
    return;
  }
  // A movie that breaks while it plays (a truncated or vanished file) ends.
  lastError_ = result;
  OnPresentationEnded();
}

void CPlayer::NoteMissingPlugin(GstMessage* message) {
  gchar* description = gst_missing_plugin_message_get_description(message);
  {
    std::lock_guard lock(missingMutex_);
    if (description != nullptr && missingPlugins_.find(description) == std::string::npos) {
      if (!missingPlugins_.empty()) missingPlugins_ += '\n';
      missingPlugins_ += description;
    }
  }
  g_free(description);
  missingPlugin_ = true;
}

std::string CPlayer::MissingPlugins() const {
  std::lock_guard lock(missingMutex_);
  return missingPlugins_;
}

void CPlayer::RetryWithoutAudio() {
  audioDisabled_ = true;
  const PlayerState state = playerState_;
  if (state != OpenPending) {
    std::int64_t position = 0;
    ClockTime(position);
    retryPosition_ = position;
    retryState_ = state;
    retryAfterReady_ = true;
  }
  GstElement* old;
  {
    std::lock_guard lock(pipelineMutex_);
    old = pipeline_;
    pipeline_ = nullptr;
  }
  gst_element_set_state(old, GST_STATE_NULL);
  gst_object_unref(old);
  GstElement* pipeline = BuildPipeline();
  if (pipeline == nullptr) {
    FinishOpen(OpenOutcome::Failed, kResultFail);
    return;
  }
  {
    std::lock_guard lock(pipelineMutex_);
    pipeline_ = pipeline;
  }
  playerState_ = OpenPending;
  gst_element_set_state(pipeline, GST_STATE_PAUSED);
}

void CPlayer::OnPipelineReady() {
  if (presenter_.VideoSize().isEmpty()) {
    // Without a picture there is nothing to show; most often its decoder is missing.
    FinishOpen(OpenOutcome::Failed, missingPlugin_ ? kResultMissingDecoder : kResultUnexpected);
    return;
  }
  hasDisplay_ = true;
  ApplyVolume();
  if (retryAfterReady_) {
    // The sound failed after the movie was ready: carry on silently where it was.
    retryAfterReady_ = false;
    SeekTo(retryPosition_);
    if (retryState_ == Started) {
      if (GstElement* pipeline = PipelineRef()) {
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        gst_object_unref(pipeline);
      }
    }
    playerState_ = retryState_;
    return;
  }
  playerState_ = Stopped;
  FinishOpen(OpenOutcome::Ready, kResultOk);
}

void CPlayer::OnPresentationEnded() {
  playerState_ = Stopped;
  if (ended_.exchange(true)) return;
  std::unique_lock lock(waitMutex_);
  if (waitCondition_.wait_for(lock, kEndedDelay, [this] { return busStop_.load(); })) return;
  lock.unlock();
  if (playerState_ != Closing) Post(WM_MEDIA_ENDED);
}

void CPlayer::Post(int message) {
  std::lock_guard lock(postMutex_);
  if (eventWindow_ != nullptr) PostAppMessage(eventWindow_, message, 0, 0);
}

void CPlayer::Silence() {
  std::lock_guard lock(postMutex_);
  eventWindow_ = nullptr;
}

bool CPlayer::SeekTo(std::int64_t position100ns) {
  return SeekToNs(std::max<std::int64_t>(position100ns, 0) * 100);
}

bool CPlayer::SeekToNs(std::int64_t nanoseconds) {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return false;
  // The pipeline shows its own picture again.
  steppedNs_ = -1;
  resumeNs_ = -1;
  seekNs_ = std::max<std::int64_t>(nanoseconds, 0);
  auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
  const gint64 start = std::max<std::int64_t>(nanoseconds, 0);
  const bool ok =
      gst_element_seek(pipeline, rate_.load(), GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, start,
                       GST_SEEK_TYPE_NONE, static_cast<gint64>(GST_CLOCK_TIME_NONE));
  gst_object_unref(pipeline);
  return ok;
}

PlayerResult CPlayer::Play() {
  const PlayerState state = playerState_;
  if (state != Paused && state != Stopped) return kResultInvalidRequest;
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return kResultUnexpected;
  // A movie that has ended starts again from its beginning.
  if (state == Stopped && ended_) {
    SeekTo(0);
  } else if (resumeNs_ >= 0) {
    // After steps the sound (and perhaps the picture) is elsewhere.
    rateDirty_ = false;
    SeekToNs(resumeNs_);
  } else if (rateDirty_.exchange(false)) {
    std::int64_t position = 0;
    PositionNs(position);
    SeekToNs(position);
  }
  ended_ = false;
  const bool ok = gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
  gst_object_unref(pipeline);
  if (!ok) return kResultFail;
  playerState_ = Started;
  return kResultOk;
}

PlayerResult CPlayer::Pause() {
  if (playerState_ != Started) return kResultInvalidRequest;
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return kResultUnexpected;
  const bool ok = gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
  gst_object_unref(pipeline);
  if (!ok) return kResultFail;
  playerState_ = Paused;
  return kResultOk;
}

PlayerResult CPlayer::Stop() {
  const PlayerState state = playerState_;
  if (state != Started && state != Paused) return kResultInvalidRequest;
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return kResultUnexpected;
  const bool ok = gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
  gst_object_unref(pipeline);
  if (!ok) return kResultFail;
  SeekTo(0);
  ended_ = false;
  playerState_ = Stopped;
  return kResultOk;
}

PlayerResult CPlayer::SeekPlaying(std::int64_t position) {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return kResultPointer;
  if (!hasDisplay_) {
    gst_object_unref(pipeline);
    return kResultOk;
  }
  const bool ok = SeekTo(position) &&
                  gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
  gst_object_unref(pipeline);
  if (!ok) return kResultFail;
  ended_ = false;
  playerState_ = Started;
  return kResultOk;
}

PlayerResult CPlayer::SeekPaused(std::int64_t position) {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return kResultPointer;
  if (!hasDisplay_) {
    gst_object_unref(pipeline);
    return kResultOk;
  }
  const bool ok = gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
                  SeekTo(position);
  gst_object_unref(pipeline);
  if (!ok) return kResultFail;
  ended_ = false;
  playerState_ = Paused;
  return kResultOk;
}

PlayerResult CPlayer::SetRate(double rate) {
  if (rate <= 0.0) return kResultInvalidArg;
  const double before = rate_.exchange(rate);
  if (!hasDisplay_) {
    // A new pipeline plays at x1; another rate is applied by the next Play.
    rateDirty_ = rate != 1.0;
    return kResultOk;
  }
  if (rate == before && !rateDirty_) return kResultOk;
  // The rate travels with a seek to where the movie is (where a seek still
  // in progress goes, without waiting for it).
  if (const std::int64_t resume = resumeNs_; resume >= 0) {
    rateDirty_ = false;
    return SeekToNs(resume) ? kResultOk : kResultFail;
  }
  std::int64_t position = 0;
  if (!PositionNs(position)) {
    rateDirty_ = true;  // applied by the next Play
    return kResultOk;
  }
  rateDirty_ = false;
  return SeekToNs(position) ? kResultOk : kResultFail;
}

bool CPlayer::PositionNs(std::int64_t& nanoseconds) const {
  if (const std::int64_t target = seekNs_; target >= 0) {
    nanoseconds = target;
    return true;
  }
  std::int64_t time = 0;
  if (!ClockTime(time)) return false;
  nanoseconds = time * 100;
  return true;
}

void CPlayer::WaitForSeek() {
  if (GstElement* pipeline = PipelineRef()) {
    gst_element_get_state(pipeline, nullptr, nullptr, kSeekSettleTimeout);
    gst_object_unref(pipeline);
  }
}

bool CPlayer::Settled() const {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return true;
  const bool settled =
      gst_element_get_state(pipeline, nullptr, nullptr, 0) != GST_STATE_CHANGE_ASYNC;
  gst_object_unref(pipeline);
  return settled;
}

PlayerResult CPlayer::SetVolume(int volume) {
  if (audioDisabled_ || audioSink_ == nullptr) return kResultPointer;
  volume_ = volume;
  ApplyVolume();
  return kResultOk;
}

void CPlayer::ApplyVolume() {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return;
  g_object_set(pipeline, "volume",
               static_cast<double>(static_cast<float>(volume_.load()) / 65535.0f), nullptr);
  gst_object_unref(pipeline);
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
  playerState_ = Closed;
  return kResultOk;
}

bool CPlayer::ClockTime(std::int64_t& time) const {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return false;
  if (const std::int64_t stepped = steppedNs_; stepped >= 0) {
    gst_object_unref(pipeline);
    time = stepped / 100;
    return true;
  }
  gint64 position = 0;
  const bool ok = gst_element_query_position(pipeline, GST_FORMAT_TIME, &position);
  gst_object_unref(pipeline);
  if (ok) time = position / 100;
  return ok;
}

bool CPlayer::Duration(std::int64_t& duration) const {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return false;
  gint64 value = 0;
  const bool ok = gst_element_query_duration(pipeline, GST_FORMAT_TIME, &value) && value >= 0;
  gst_object_unref(pipeline);
  if (ok) duration = value / 100;
  return ok;
}

QImage CPlayer::CurrentImage() {
  // A seek while paused shows its picture once the pipeline has prerolled.
  WaitForSeek();
  return presenter_.CurrentImage();
}

GstSample* CPlayer::StepPipeline() {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return nullptr;
  const std::uint64_t shown = presenter_.FramesShown();
  const bool sent =
      gst_element_send_event(pipeline, gst_event_new_step(GST_FORMAT_BUFFERS, 1, 1.0, TRUE, FALSE));
  gst_object_unref(pipeline);
  return sent ? presenter_.WaitForPictureAfter(shown, kStepTimeoutMs) : nullptr;
}

void CPlayer::ShowStepped(GstSample* sample, std::int64_t startNs, std::int64_t resumeNs) {
  steppedNs_ = startNs;
  resumeNs_ = resumeNs;
  presenter_.Show(sample);
}

std::optional<std::int64_t> CPlayer::SteppedTime() const {
  const std::int64_t stepped = steppedNs_;
  if (stepped < 0) return std::nullopt;
  return stepped;
}
