#include "cli/terminal_progress.h"

#include <unistd.h>

#include <algorithm>
#include <string>

#include "container/posix_io.h"

namespace {

// Straight to the descriptor: a write interrupted by a signal goes on.
void ShowOnTerminal(const std::string& text) {
  WriteAll(STDERR_FILENO,
           std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace

TerminalProgress::TerminalProgress(const char* label)
    : label_(label), terminal_(isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress() {
  if (shown_) ShowOnTerminal("\n");
}

void TerminalProgress::Post(int message, std::intptr_t done, std::intptr_t total) {
  if (!terminal_ || message != kProgress || total <= 0) return;
  constexpr int kWidth = 30;
  const std::intptr_t clamped = std::clamp<std::intptr_t>(done, 0, total);
  const auto filled = static_cast<std::size_t>(clamped * kWidth / total);
  ShowOnTerminal("\r" + std::string(label_) + " [" + std::string(filled, '#') +
                 std::string(kWidth - filled, ' ') + "] " + std::to_string(clamped) + "/" +
                 std::to_string(total));
  shown_ = true;
}
