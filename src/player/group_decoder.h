#pragma once

#include <gst/gst.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// A second pipeline over the open movie, apart from the one that plays it:
// it decodes a stretch of the movie into pictures in the decoder's own
// format, for stepping and playing backwards. It is made paused by Prepare
// (or on first use) and kept while the movie is open. One thread at a time
// decodes: another waits for it.
class GroupDecoder {
 public:
  explicit GroupDecoder(std::string path) : path_(std::move(path)) {}
  ~GroupDecoder();
  GroupDecoder(const GroupDecoder&) = delete;
  GroupDecoder& operator=(const GroupDecoder&) = delete;

  // Makes the pipeline and lets it start on its own threads, so that the
  // first Decode finds it ready; false when it cannot be made.
  bool Prepare();
  // Decodes the pictures shown from `startNs` up to `stopNs` and hands each
  // to `take` in presentation order (the caller adds a reference to keep
  // one). False when the pipeline cannot start, fails or stalls, or when
  // `cancel` is set before the last picture.
  bool Decode(std::int64_t startNs, std::int64_t stopNs,
              const std::function<void(GstSample*)>& take,
              const std::atomic<bool>* cancel = nullptr);
  // The size of one decoded picture; 0 when the pipeline cannot start.
  std::size_t PictureBytes();

 private:
  bool Start();
  // Tears the pipeline down (it cannot start), giving back its pictures;
  // the next Decode makes it again.
  void Release();
  bool Failed() const;

  std::string path_;
  std::mutex using_;
  GstElement* pipeline_ = nullptr;
  GstElement* sink_ = nullptr;  // inside pipeline_, not owned
  std::size_t pictureBytes_ = 0;
};
