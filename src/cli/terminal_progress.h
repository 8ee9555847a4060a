#pragma once

#include <cstdint>

#include "container/message_sink.h"

// Shows the progress messages of a long command (wParam done, lParam total)
// as a bar on standard error when it is a terminal; silent otherwise.
class TerminalProgress : public MessageSink {
 public:
  static constexpr int kProgress = 0x8517;

  explicit TerminalProgress(const char* label);
  ~TerminalProgress() override;
  void Post(int message, std::intptr_t done, std::intptr_t total) override;

 private:
  const char* label_;
  bool shown_ = false;
  bool terminal_;
};
