// The player's playback: play, pause and stop, seeks, rates, the clock and the volume.
#include "player/player.h"

namespace {

constexpr GstClockTime kSeekSettleTimeout = 2 * GST_SECOND;

}  // namespace

bool CPlayer::SeekTo(std::int64_t position100ns) {
  return SeekToNs(std::max<std::int64_t>(position100ns, 0) * 100);
}

bool CPlayer::SeekToNs(std::int64_t nanoseconds) {
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return false;
  // The pipeline shows its own picture again.
  steppedNs_ = -1;
  resumeNs_ = -1;
  const std::int64_t start = std::max<std::int64_t>(nanoseconds, 0);
  seekNs_ = start;
  atStart_ = start == 0;
  GstBus* bus = gst_element_get_bus(pipeline);
  gst_bus_post(bus, gst_message_new_application(
                        GST_OBJECT(pipeline), gst_structure_new("kestrel-seek", "number", G_TYPE_UINT64,
                                                                ++seekNumber_, nullptr)));
  gst_object_unref(bus);
  auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
  const bool ok =
      gst_element_seek(pipeline, rate_.load(), GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, start,
                       GST_SEEK_TYPE_NONE, static_cast<gint64>(GST_CLOCK_TIME_NONE));
  gst_object_unref(pipeline);
  // A refused seek has no end to wait for.
  std::int64_t target = start;
  if (!ok) seekNs_.compare_exchange_strong(target, -1);
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
  atStart_ = false;
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
  atStart_ = false;
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
  atStart_ = false;
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
  // A movie paused at its start shows its first picture already: a seek
  // there would only make the decoder start again from the keyframe.
  const bool shown = position <= 0 && atStart_;
  const bool ok = gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
                  (shown || SeekTo(position));
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
  // While playing, without a flush where the pipeline can: a flushing seek
  // at another rate now and then leaves the PulseAudio sink writing before
  // what it has played, and its clock, the picture with it, stops. (Paused,
  // a sink may have no time segment yet to change.)
  if (playerState_ == Started && seekNs_ < 0 && InstantRate(rate)) return kResultOk;
  return SeekToNs(position) ? kResultOk : kResultFail;
}

bool CPlayer::InstantRate(double rate) {
  // The position stays; only the speed changes, from the next buffer on.
  // Only for a pipeline settled in PLAYING: until then a sink may have no
  // time segment to change.
  GstElement* pipeline = PipelineRef();
  if (pipeline == nullptr) return false;
  GstState current = GST_STATE_NULL;
  if (gst_element_get_state(pipeline, &current, nullptr, 0) != GST_STATE_CHANGE_SUCCESS ||
      current != GST_STATE_PLAYING) {
    gst_object_unref(pipeline);
    return false;
  }
  const bool ok = gst_element_seek(pipeline, rate, GST_FORMAT_TIME, GST_SEEK_FLAG_INSTANT_RATE_CHANGE,
                                   GST_SEEK_TYPE_NONE, 0, GST_SEEK_TYPE_NONE, 0);
  gst_object_unref(pipeline);
  return ok;
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

std::optional<std::int64_t> CPlayer::SeekTarget() const {
  const std::int64_t target = seekNs_;
  if (target < 0) return std::nullopt;
  return target;
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
