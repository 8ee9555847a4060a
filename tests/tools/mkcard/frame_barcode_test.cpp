// The frame barcode reader on pictures drawn here.
#include "mkcard/frame_barcode.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Draws the strip of `value` the way the generator's filter does: 24 blocks of
// width * i / 24 pixels, white for set bits, over a mid-grey picture.
std::vector<std::uint8_t> Picture(int width, int height, int stride, std::uint32_t value,
                                  std::uint8_t white = 235, std::uint8_t black = 16) {
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(stride * height), 128);
  for (int y = 0; y < mkcard::BarcodeHeight(height); ++y) {
    for (int x = 0; x < width; ++x) {
      const int bit = x * mkcard::kBarcodeBits / width;
      grey[static_cast<std::size_t>(y * stride + x)] = (value >> bit & 1) ? white : black;
    }
  }
  return grey;
}

}  // namespace

TEST(FrameBarcode, ReadsFrameAndRecording) {
  const struct {
    int width, height, stride, frame, recording;
  } cases[] = {{160, 120, 160, 0, 0},
               {160, 120, 176, 59, 3},
               {320, 180, 320, 0xFFFF, 255},
               {641, 361, 700, 1234, 17},
               {1920, 1080, 1920, 1799, 200}};
  for (const auto& c : cases) {
    const auto value = static_cast<std::uint32_t>(c.frame | c.recording << 16);
    const auto grey = Picture(c.width, c.height, c.stride, value);
    const auto code = mkcard::ReadFrameBarcode(grey.data(), c.width, c.height, c.stride);
    ASSERT_TRUE(code.has_value()) << c.width << "x" << c.height;
    EXPECT_EQ(code->frame, c.frame);
    EXPECT_EQ(code->recording, c.recording);
  }
}

TEST(FrameBarcode, RefusesWhatIsNoBarcode) {
  const auto grey = Picture(160, 120, 160, 0x00A5A5);
  EXPECT_TRUE(mkcard::ReadFrameBarcode(grey.data(), 160, 120, 160).has_value());
  // A block that is neither black nor white.
  const auto washed = Picture(160, 120, 160, 0x00A5A5, 150);
  EXPECT_FALSE(mkcard::ReadFrameBarcode(washed.data(), 160, 120, 160).has_value());
  // No strip at all: the picture is mid-grey.
  const std::vector<std::uint8_t> plain(160 * 120, 128);
  EXPECT_FALSE(mkcard::ReadFrameBarcode(plain.data(), 160, 120, 160).has_value());
  // Too narrow for 24 blocks, too short for the strip, or a null picture.
  EXPECT_FALSE(mkcard::ReadFrameBarcode(grey.data(), 40, 120, 160).has_value());
  EXPECT_FALSE(mkcard::ReadFrameBarcode(grey.data(), 160, 4, 160).has_value());
  EXPECT_FALSE(mkcard::ReadFrameBarcode(nullptr, 160, 120, 160).has_value());
}
