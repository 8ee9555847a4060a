// Opens fuzzed bytes as a movie, both ways, and asks every question.

#include <cstdint>

#include "container/movie_file.h"
#include "fuzz_file.h"

namespace {

// Touches every node so that a bad pointer in the tree shows.
std::size_t CountNodes(const AtomNode& node) {
  std::size_t count = 1 + node.data.size() / 4096;
  for (const AtomNode& child : node.children) count += CountNodes(child);
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FixTimeZone();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path path = FuzzFilePath("movie.MOV");
  WriteFuzzFile(path, data, size);
  for (bool examineRoot : {false, true}) {
    std::unique_ptr<MovieFile> movie = MovieFile::Open(path, examineRoot);
    if (!movie) continue;
    std::size_t seen = CountNodes(movie->root);
    for (const std::vector<AtomNode*>& list : movie->lists) {
      for (const AtomNode* node : list) seen += node->Name().size();
    }
    const MovieFile::FrameSize frameSize = movie->GetFrameSize();
    const std::int64_t frames = movie->FrameCount();
    const float rate = movie->FrameRate();
    const std::optional<CalendarTime> start = movie->RecordingStart();
    if (seen == 0 || frameSize.width < -1 || frames < -1 || rate != rate ||
        (start && start->month > 12)) {
      __builtin_trap();
    }
  }
  return 0;
}
