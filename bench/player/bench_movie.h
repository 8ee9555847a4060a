#pragma once

#include <string>

#include "mkcard/card_plan.h"

// A recording for the player benchmarks, written by the generator once per
// run (into KESTREL_BENCH_DIR when set, to keep it between runs).
struct BenchMovieFile {
  std::string path;
  int frames = 0;
  double fps = 30.0;
};

// The player benchmarks' 1080p30 H.264 recording of 10 s.
const BenchMovieFile& BenchMovie();

// A recording of one file as `options` asks, in a folder named `name`.
BenchMovieFile WriteBenchMovie(mkcard::CardOptions options, const std::string& name);
