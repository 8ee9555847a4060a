#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <string>

// Plain GStreamer (no player): a file to a fake sink in BGRx, for the
// latencies of opening and of exact seeks next to the player's.
class PlainPipeline {
 public:
  explicit PlainPipeline(const std::string& path);
  ~PlainPipeline();
  PlainPipeline(const PlainPipeline&) = delete;
  PlainPipeline& operator=(const PlainPipeline&) = delete;

  // Prerolls (first picture at the sink); false on failure.
  bool Preroll();
  // An accurate seek, until its picture is at the sink; false on failure.
  bool SeekExact(std::int64_t nanoseconds);

 private:
  bool Settle();
  GstElement* pipeline_ = nullptr;
};
