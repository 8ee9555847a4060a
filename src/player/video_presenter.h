#pragma once

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <QImage>
#include <QRect>
#include <QSize>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

class QPainter;

// The stream time of a picture (nanoseconds from the movie's start), or
// nothing when it has none.
std::optional<std::int64_t> StreamTimeOf(GstSample* sample);

// Receives the decoded pictures of the player's pipeline through an appsink
// (32-bit BGRx, shown at their presentation time by the sink's clock) and
// keeps only the newest one, for painting and for snapshots.
class VideoPresenter {
 public:
  VideoPresenter() = default;
  ~VideoPresenter();
  VideoPresenter(const VideoPresenter&) = delete;
  VideoPresenter& operator=(const VideoPresenter&) = delete;

  // Makes a new appsink that feeds this presenter. The caller owns the
  // returned (floating) reference.
  GstElement* CreateSink();

  // Called on a streaming thread whenever a new picture arrived.
  void SetFrameCallback(std::function<void()> callback);

  // Native size of the newest picture; empty while there is none.
  QSize VideoSize() const;
  // Frame rate of the stream the pictures come from; 0 while unknown.
  double FrameRate() const;
  // Copy of the newest picture at its native size; null while there is none.
  QImage CurrentImage() const;
  // Paints the newest picture into `target`, turned by 180 degrees when
  // asked. Returns false (and paints nothing) while there is none.
  bool Paint(QPainter& painter, const QRect& target, bool rotate180) const;
  // Forgets the newest picture.
  void Clear();

  // A new reference to the newest picture; null while there is none.
  GstSample* TakeNewest() const;
  // Makes `sample` (a picture of the same stream, another reference taken)
  // the newest picture, as if the pipeline had just shown it. A picture in
  // the decoder's own format is turned into BGRx first.
  void Show(GstSample* sample);
  // Waits up to `timeoutMs` for a picture after the first `shown` ones;
  // a new reference to the newest picture then, else null.
  GstSample* WaitForPictureAfter(std::uint64_t shown, int timeoutMs) const;

  // While held, the pipeline's own pictures are let go unseen and only
  // those given to Show appear (the movie plays backwards).
  void HoldPipelinePictures(bool hold) { held_ = hold; }

  // Pictures that reached the screen since the last Clear (prerolled
  // pictures included).
  std::uint64_t FramesShown() const { return framesShown_.load(); }

 private:
  static GstFlowReturn OnNewPreroll(GstAppSink* sink, gpointer self);
  static GstFlowReturn OnNewSample(GstAppSink* sink, gpointer self);
  void Store(GstSample* sample);
  void StoreFromPipeline(GstSample* sample);
  // A new reference to `sample` as BGRx (a converted copy when it is not);
  // null when it cannot be converted.
  GstSample* AsBgrx(GstSample* sample);

  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  GstSample* newest_ = nullptr;
  std::function<void()> frameCallback_;
  std::atomic<std::uint64_t> framesShown_{0};
  std::atomic<bool> held_{false};
  // The conversion of decoded pictures to BGRx, kept while their format stays.
  std::mutex convertMutex_;
  GstVideoConverter* converter_ = nullptr;  // guarded by convertMutex_
  GstVideoInfo convertFrom_{};              // guarded by convertMutex_
  GstVideoInfo convertTo_{};                // guarded by convertMutex_
  GstCaps* convertCaps_ = nullptr;          // guarded by convertMutex_
};
