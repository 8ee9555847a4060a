#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "catalogue/clip_stretch.h"
#include "container/message_sink.h"

struct ClipOptions {
  static constexpr int kProgress = 0x8517;  // wParam bytes written, lParam bytes in all
  static constexpr int kFinished = 0x8516;  // lParam 1 when the first recording was opened

  MessageSink* sink = nullptr;
  // Cleared by the caller to cancel; looked at before every block copied.
  const std::atomic<bool>* running = nullptr;
  // The free space available to the user at a folder; statvfs by default.
  std::function<std::optional<std::uint64_t>(const std::filesystem::path&)> freeSpace;
};

struct ClipResult {
  ClipError error = ClipError::kNone;
  std::string why;           // one line for a log or a terminal; empty on success
  bool firstOpened = false;  // the first recording could be opened
};

// Writes the stretch as a recorder movie at `output`: the first recording's
// file type, media, movie and sensor atoms and its closing atom, holding
// the pictures from the keyframe at or before the start picture to those
// the end picture needs, copied as they are, one media edit per track that
// shows exactly the start picture to the end picture, the sound cut in step
// with them (at the seams between recordings as the join cuts it), and the
// sensor records of the stretch, the first picture's record first. The
// output appears under its name only when complete; on a refusal, a
// failure or a cancel nothing is left and an existing file stays. Posts
// kProgress as the media are copied and kFinished at the end.
ClipResult WriteClip(const ClipStretch& stretch, const std::filesystem::path& output,
                     const ClipOptions& options = {});
