#pragma once

#include <gst/gst.h>

#include <QObject>
#include <QSize>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "player/player_result.h"
#include "player/video_presenter.h"

// The media player of the engine: one GStreamer playbin that decodes the
// movie, its pictures going to a VideoPresenter and its sound to the
// system's audio sink. A bus thread turns the pipeline's messages into the
// engine's window messages for the video surface (ready or failed, paused,
// ended).
class CPlayer {
 public:
  enum PlayerState {
    Closed = 0,
    Ready = 1,
    OpenPending = 2,
    Started = 3,
    Paused = 4,
    Stopped = 5,
    Closing = 6,
  };

  // How an open ended, as far as it is known.
  enum class OpenOutcome { Pending, Ready, Failed };

  // Returns a player that posts its messages to `eventWindow`, or null when
  // GStreamer cannot be started or lacks its playback elements.
  static std::unique_ptr<CPlayer> Create(QObject* eventWindow);
  ~CPlayer();
  CPlayer(const CPlayer&) = delete;
  CPlayer& operator=(const CPlayer&) = delete;

  // Sound goes to the sink that this pipeline description makes (for
  // example "fakesink sync=true") instead of the system's audio sink (empty:
  // the system's). For machines without sound and for tests.
  static void SetAudioSinkDescription(const std::string& description);
  // Prefers hardware video decoders where GStreamer has them.
  static void SetPreferHardwareDecoders(bool on);

  PlayerResult OpenFile(const QString& path);
  // Waits up to `timeoutMs` for the open to be ready or to fail for good.
  OpenOutcome WaitForOpen(int timeoutMs);
  // Result of the failure that ended the open or the playback.
  PlayerResult LastError() const { return lastError_.load(); }
  // What GStreamer reported missing for this movie (its descriptions, such
  // as "H.265 (Main Profile) decoder"), or the streams it had a decoder for
  // but could not handle ("H.265 (Main 4:4:4 Profile)"), one a line; empty
  // when nothing.
  std::string MissingPlugins() const;

  PlayerResult Play();
  PlayerResult Pause();
  PlayerResult Stop();
  // Seeks while playing: continues playing from the position (100 ns units).
  PlayerResult SeekPlaying(std::int64_t position);
  // Shows the picture at the position (100 ns units) and ends paused.
  PlayerResult SeekPaused(std::int64_t position);
  PlayerResult SetRate(double rate);
  PlayerResult SetVolume(int volume);
  PlayerResult Close();
  // Posts no more messages from now on (the movie is being closed).
  void Silence();

  PlayerState State() const { return playerState_.load(); }
  int Volume() const { return volume_.load(); }
  bool AudioDisabled() const { return audioDisabled_.load(); }
  // True once the pipeline is ready (the display control of the platform).
  bool HasDisplayControl() const { return hasDisplay_.load(); }
  // Presentation clock in 100 ns units; false when it cannot be read.
  bool ClockTime(std::int64_t& time) const;
  // Duration of the movie in 100 ns units; false when unknown.
  bool Duration(std::int64_t& duration) const;
  QSize NativeVideoSize() const { return presenter_.VideoSize(); }
  // The picture on screen, after any seek in progress has finished.
  QImage CurrentImage();
  // Waits (a little) for a seek or pause in progress to show its picture.
  void WaitForSeek();
  // True while no state change or seek is in progress: the clock then reads
  // where the movie is, its start included.
  bool Settled() const;
  // Where the seek in progress goes in ns; none once it has arrived.
  std::optional<std::int64_t> SeekTarget() const;

  // Moves the paused pipeline on by one picture (a step event) and returns
  // a new reference to that picture, or null when none came in time.
  GstSample* StepPipeline();
  // Shows `sample`, a picture that starts at `startNs` into the movie,
  // whether or not it came from the pipeline: the clock reads `startNs`
  // until the next seek, and Play carries on from `resumeNs`.
  void ShowStepped(GstSample* sample, std::int64_t startNs, std::int64_t resumeNs);
  // Where the picture shown by ShowStepped starts, while it is shown.
  std::optional<std::int64_t> SteppedTime() const;
  VideoPresenter& presenter() { return presenter_; }

 private:
  explicit CPlayer(QObject* eventWindow);

  GstElement* BuildPipeline();
  void StartBusThread();
  void StopBusThread();
  void BusLoop();
  void HandleMessage(GstMessage* message);
  void OnError(GstMessage* message);
  void NoteMissingPlugin(GstMessage* message);
  // Keeps, like a missing plug-in, what the open could not handle.
  void NoteUnhandledStreams(GstMessage* message);
  void RetryWithoutAudio();
  void OnPipelineReady();
  void OnPresentationEnded();
  // At the end of a play whose last pictures came too late to be shown
  // (the sink drops late pictures, most at x2 and x4 on a busy machine),
  // pauses on the movie's last picture, so that the end shows the end.
  void ShowLastPicture();
  void FinishOpen(OpenOutcome outcome, PlayerResult error);
  void Post(int message);
  GstElement* PipelineRef() const;
  bool SeekTo(std::int64_t position100ns);
  // Changes the speed without a seek; false where the pipeline cannot.
  bool InstantRate(double rate);
  bool SeekToNs(std::int64_t nanoseconds);
  // Where the movie is in ns: where a seek in progress goes, else the clock.
  bool PositionNs(std::int64_t& nanoseconds) const;
  void ApplyVolume();

  std::mutex postMutex_;
  QObject* eventWindow_;  // guarded by postMutex_
  VideoPresenter presenter_;
  std::string uri_;

  mutable std::mutex pipelineMutex_;
  GstElement* pipeline_ = nullptr;               // guarded by pipelineMutex_
  std::atomic<GstElement*> audioSink_{nullptr};  // inside pipeline_, not owned

  std::atomic<PlayerState> playerState_{Closed};
  std::atomic<int> volume_{0};
  std::atomic<bool> audioDisabled_{false};
  std::atomic<bool> hasDisplay_{false};
  std::atomic<bool> ended_{false};
  std::atomic<bool> missingPlugin_{false};
  mutable std::mutex missingMutex_;
  std::string missingPlugins_;  // guarded by missingMutex_
  std::atomic<PlayerResult> lastError_{kResultOk};
  std::atomic<double> rate_{1.0};
  std::atomic<bool> rateDirty_{false};  // a rate not yet applied by a seek
  // Where the last seek goes while it is in progress; negative after.
  std::atomic<std::int64_t> seekNs_{-1};
  // Each seek posts its number on the bus before it starts; the bus thread
  // notes the newest it has reached, so that the end of an earlier seek
  // still queued behind it does not end this one.
  std::atomic<std::uint64_t> seekNumber_{0};
  std::uint64_t busSeekNumber_ = 0;  // bus thread only, and BuildPipeline
  // The stepped picture's start and where playing carries on from it;
  // both negative while the pipeline's own picture is shown.
  std::atomic<std::int64_t> steppedNs_{-1};
  std::atomic<std::int64_t> resumeNs_{-1};
  // True while the paused pipeline shows (or is seeking to) its own picture
  // at the movie's start, so that a seek to the start has nothing to do.
  std::atomic<bool> atStart_{false};
  // Where to carry on when the sound failed after the movie was ready.
  bool retryAfterReady_ = false;
  std::int64_t retryPosition_ = 0;
  PlayerState retryState_ = Stopped;

  std::thread busThread_;
  std::atomic<bool> busStop_{false};
  std::mutex waitMutex_;
  std::condition_variable waitCondition_;
  OpenOutcome openOutcome_ = OpenOutcome::Pending;  // guarded by waitMutex_
};
