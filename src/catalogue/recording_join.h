#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "container/message_sink.h"

enum class JoinError {
  kNone,
  kFailed,          // a recording could not be read or joined, the output not written
  kSizeOver,        // the output would pass the 4 GiB the format's atom sizes hold
  kTooManyRecords,  // the joined sensor track would hold more than 65,535 records
  kCancelled,
};

struct JoinResult {
  JoinError error = JoinError::kNone;
  std::string why;           // one line for a log or a terminal; empty on success
  bool firstOpened = false;  // the first recording could be opened
};

struct JoinOptions {
  static constexpr int kProgress = 0x8517;  // wParam done, lParam total
  static constexpr int kFinished = 0x8516;  // lParam 1 when the first recording was opened

  MessageSink* sink = nullptr;
  // Cleared by the caller to cancel; looked at before each further file.
  const std::atomic<bool>* running = nullptr;
  // Told the output folder after a successful join.
  std::function<void(const std::filesystem::path&)> rememberFolder;
  // The free space available to the user at a folder; statvfs by default.
  std::function<std::optional<std::uint64_t>(const std::filesystem::path&)> freeSpace;
};

// Joins recordings, in the given order, into one movie at `output`: the
// first recording's atoms frame the output, the media and sensor records of
// the others follow its own. The output is written to a temporary file next
// to it and renamed into place only when everything succeeded; on any
// failure or a cancel no output and no temporary file remain, and an
// existing file at `output` stays as it was.
JoinResult Join(const std::vector<std::filesystem::path>& inputs,
                const std::filesystem::path& output, const JoinOptions& options = {});

// The message the user sees for a failed join (UTF-8).
std::string_view JoinFailureText(JoinError error);
