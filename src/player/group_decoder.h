#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <functional>
#include <string>

// A second pipeline over the open movie, apart from the one that plays it:
// it decodes a stretch of the movie into pictures as the presenter shows
// them (BGRx), for stepping backwards. It is made paused on first use and
// kept until it is destroyed.
class GroupDecoder {
 public:
  explicit GroupDecoder(std::string path) : path_(std::move(path)) {}
  ~GroupDecoder();
  GroupDecoder(const GroupDecoder&) = delete;
  GroupDecoder& operator=(const GroupDecoder&) = delete;

  // Decodes the pictures shown from `startNs` up to `stopNs` and hands each
  // to `take` in presentation order (the caller adds a reference to keep
  // one). False when the pipeline cannot start, fails or stalls.
  bool Decode(std::int64_t startNs, std::int64_t stopNs,
              const std::function<void(GstSample*)>& take);

 private:
  bool Start();
  bool Failed() const;

  std::string path_;
  GstElement* pipeline_ = nullptr;
  GstElement* sink_ = nullptr;  // inside pipeline_, not owned
};
