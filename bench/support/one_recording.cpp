#include "one_recording.h"

#include <QDir>
#include <cstdio>
#include <string>

#include "base/settings_file.h"
#include "bench_support.h"
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

std::filesystem::path CardOfLinks(const std::filesystem::path& recording,
                                  const std::filesystem::path& root, int count) {
  const std::filesystem::path card = root / "card";
  LinkedCard(recording, card, count, count, "N");
  const std::filesystem::path work = root / "work";
  std::filesystem::create_directories(work);
  QDir::setCurrent(QString::fromStdString(work.string()));
  CaptureWorkDir();
  return card;
}
