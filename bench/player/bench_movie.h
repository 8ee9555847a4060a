#pragma once

#include <string>

// The player benchmarks' 1080p30 recording of 10 s, written by the generator
// once per run (into KESTREL_BENCH_DIR when set, to keep it between runs).
struct BenchMovieFile {
  std::string path;
  int frames = 0;
  double fps = 30.0;
};

const BenchMovieFile& BenchMovie();
