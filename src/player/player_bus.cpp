// The player's bus thread: its messages become the open's outcome, pauses, errors and the end.
#include <gst/pbutils/pbutils.h>

#include <chrono>

#include "player/engine_messages.h"
#include "player/player.h"
#include "player/unhandled_stream.h"

namespace {

constexpr auto kEndedDelay = std::chrono::milliseconds(200);
constexpr GstClockTime kBusPollTimeout = 100 * GST_MSECOND;

}  // namespace

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
  // Starting the pipeline opens its sinks' devices, which can take a while;
  // a sink that cannot start reports its error on the bus.
  if (GstElement* pipeline = PipelineRef()) {
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    gst_object_unref(pipeline);
  }
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
      if (fromPipeline && busSeekNumber_ == seekNumber_) seekNs_ = -1;
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
    case GST_MESSAGE_APPLICATION:
      if (const GstStructure* mark = gst_message_get_structure(message);
          gst_structure_has_name(mark, "kestrel-seek")) {
        gst_structure_get_uint64(mark, "number", &busSeekNumber_);
      }
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
  if (playerState_ == OpenPending && !missingDecoder && !missingPlugin_ &&
      IsUnhandledStreamError(message)) {
    NoteUnhandledStreams(message);
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

void CPlayer::NoteUnhandledStreams(GstMessage* message) {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return;
  std::string unhandled = UnhandledStreams(pipeline, message);
  gst_object_unref(pipeline);
  if (unhandled.empty()) return;
  {
    std::lock_guard lock(missingMutex_);
    if (!missingPlugins_.empty()) missingPlugins_ += '\n';
    missingPlugins_ += unhandled;
  }
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
      atStart_ = false;
      if (GstElement* pipeline = PipelineRef()) {
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        gst_object_unref(pipeline);
      }
    }
    playerState_ = retryState_;
    return;
  }
  playerState_ = Stopped;
  atStart_ = true;
  // A speed set while the movie got ready travels with a seek to its start,
  // made here rather than from the window when it plays.
  if (rateDirty_.exchange(false)) SeekToNs(0);
  FinishOpen(OpenOutcome::Ready, kResultOk);
}

void CPlayer::ShowLastPicture() {
  GstSample* newest = presenter_.TakeNewest();
  if (newest == nullptr) return;
  const std::optional<std::int64_t> shownNs = StreamTimeOf(newest);
  const GstClockTime pictureNs = GST_BUFFER_DURATION(gst_sample_get_buffer(newest));
  gst_sample_unref(newest);
  std::int64_t duration = 0;
  if (!shownNs || !GST_CLOCK_TIME_IS_VALID(pictureNs) || pictureNs == 0 || !Duration(duration)) {
    return;
  }
  // The last picture is the one shown half a picture before the end.
  const std::int64_t lastNs = duration * 100 - static_cast<std::int64_t>(pictureNs / 2);
  if (*shownNs + static_cast<std::int64_t>(pictureNs) > lastNs) return;
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return;
  const bool paused = gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
  gst_object_unref(pipeline);
  if (paused && SeekToNs(lastNs)) WaitForSeek();
}

void CPlayer::OnPresentationEnded() {
  playerState_ = Stopped;
  atStart_ = false;
  if (ended_.exchange(true)) return;
  if (lastError_ == kResultOk) ShowLastPicture();
  std::unique_lock lock(waitMutex_);
  if (waitCondition_.wait_for(lock, kEndedDelay, [this] { return busStop_.load(); })) return;
  lock.unlock();
  if (playerState_ != Closing) Post(WM_MEDIA_ENDED);
}
