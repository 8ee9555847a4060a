#include "bench_movie.h"

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "mkcard/card_writer.h"

BenchMovieFile WriteBenchMovie(mkcard::CardOptions options, const std::string& name) {
  static QTemporaryDir temp;
  const char* kept = std::getenv("KESTREL_BENCH_DIR");
  const std::filesystem::path dir =
      std::filesystem::path(kept != nullptr ? kept : temp.path().toStdString()) / name;
  options.folders = 1;
  options.files = 1;
  const mkcard::RecordingPlan plan = mkcard::PlanCard(options).front();
  BenchMovieFile result{(dir / plan.path).string(), plan.frames,
                        static_cast<double>(plan.fpsNum) / plan.fpsDen};
  if (!std::filesystem::exists(result.path)) {
    const std::string error = mkcard::WriteCard(options, dir);
    if (!error.empty()) std::fprintf(stderr, "card: %s\n", error.c_str());
  }
  return result;
}

const BenchMovieFile& BenchMovie() {
  static const BenchMovieFile movie = [] {
    mkcard::CardOptions options;
    options.seconds = 10;
    options.width = 1920;
    options.height = 1080;
    return WriteBenchMovie(options, "h264_1080p");
  }();
  return movie;
}
