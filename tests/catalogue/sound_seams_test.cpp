#include "catalogue/sound_seams.h"

#include <gtest/gtest.h>

namespace {

// A seam drops whole samples off the joined sound until the next
// recording's sound begins within half a frame of its pictures.
TEST(SoundSeams, DropsWholeSamplesUntilTheNextSoundIsWithinHalfAFrame) {
  struct Case {
    const char* what;
    std::int64_t late;
    std::uint32_t frame;
    std::size_t available;
    std::size_t drop;
  };
  const Case cases[] = {
      {"on time", 0, 1024, 100, 0},
      {"half a frame late", 512, 1024, 100, 0},
      {"just over half a frame late", 513, 1024, 100, 1},
      {"512 samples of padding and 1024 of priming", 1536, 1024, 100, 1},
      {"one sample more", 1537, 1024, 100, 2},
      {"384 samples of sound past the pictures, 768 of padding, 1024 of priming", 2176, 1024, 100,
       2},
      {"four frames late", 4096, 1024, 100, 4},
      {"early", -700, 1024, 100, 0},
      {"far early", -1000000, 1024, 100, 0},
      {"960-sample frames", 1441, 960, 100, 2},
      {"more late than there are samples", 1000000, 1024, 3, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SamplesToDrop(c.late, c.frame, c.available), c.drop) << c.what;
  }
}

}  // namespace
