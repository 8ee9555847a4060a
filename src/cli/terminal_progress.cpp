#include "cli/terminal_progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

TerminalProgress::TerminalProgress(const char* label)
    : label_(label), terminal_(isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress() {
  if (shown_) std::fputc('\n', stderr);
}

void TerminalProgress::Post(int message, std::intptr_t done, std::intptr_t total) {
  if (!terminal_ || message != kProgress || total <= 0) return;
  constexpr int kWidth = 30;
  const std::intptr_t clamped = std::clamp<std::intptr_t>(done, 0, total);
  const auto filled = static_cast<std::size_t>(clamped * kWidth / total);
  std::fprintf(stderr, "\r%s [%s%s] %ld/%ld", label_, std::string(filled, '#').c_str(),
               std::string(kWidth - filled, ' ').c_str(), static_cast<long>(clamped),
               static_cast<long>(total));
  std::fflush(stderr);
  shown_ = true;
}
