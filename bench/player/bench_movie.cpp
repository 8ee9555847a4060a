#include "bench_movie.h"

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"

const BenchMovieFile& BenchMovie() {
  static const BenchMovieFile movie = [] {
    static QTemporaryDir temp;
    const char* kept = std::getenv("KESTREL_BENCH_DIR");
    const std::filesystem::path dir = kept != nullptr ? kept : temp.path().toStdString();
    mkcard::CardOptions options;
    options.folders = 1;
    options.files = 1;
    options.seconds = 10;
    options.width = 1920;
    options.height = 1080;
    const mkcard::RecordingPlan plan = mkcard::PlanCard(options).front();
    BenchMovieFile result{(dir / plan.path).string(), plan.frames, 30.0};
    if (!std::filesystem::exists(result.path)) {
      const std::string error = mkcard::WriteCard(options, dir);
      if (!error.empty()) std::fprintf(stderr, "card: %s\n", error.c_str());
    }
    return result;
  }();
  return movie;
}
