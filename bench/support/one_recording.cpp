#include "one_recording.h"

#include <cstdio>
#include <string>

#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"

std::filesystem::path OneRecording(const std::filesystem::path& dir, int seconds) {
  mkcard::CardOptions options;
  options.folders = 1;
  options.files = 1;
  options.seconds = seconds;
  options.width = 1920;
  options.height = 1080;
  const std::filesystem::path path = dir / mkcard::PlanCard(options).front().path;
  if (!std::filesystem::exists(path)) {
    std::fprintf(stderr, "writing a %d-s 1080p recording...\n", seconds);
    const std::string error = mkcard::WriteCard(options, dir);
    if (!error.empty()) std::fprintf(stderr, "card: %s\n", error.c_str());
  }
  return path;
}
