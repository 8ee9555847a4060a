#include "mkcard/frame_barcode.h"

#include <algorithm>

namespace mkcard {

int BarcodeHeight(int height) { return std::max(8, height / 16 / 2 * 2); }

std::optional<FrameBarcode> ReadFrameBarcode(const std::uint8_t* grey, int width, int height,
                                             int stride) {
  const int strip = BarcodeHeight(height);
  if (grey == nullptr || width < 2 * kBarcodeBits || height < strip || stride < width) {
    return std::nullopt;
  }
  // Average the middle of each block, away from its edges, where lossy coding
  // smears black into white.
  const int top = strip / 4;
  const int bottom = strip - strip / 4;
  std::uint32_t value = 0;
  for (int bit = 0; bit < kBarcodeBits; ++bit) {
    const int left = (4 * bit + 1) * width / (4 * kBarcodeBits);
    const int right = std::max(left + 1, (4 * bit + 3) * width / (4 * kBarcodeBits));
    long sum = 0;
    for (int y = top; y < bottom; ++y) {
      const std::uint8_t* line = grey + static_cast<long>(y) * stride;
      for (int x = left; x < right; ++x) sum += line[x];
    }
    const long mean = sum / (static_cast<long>(bottom - top) * (right - left));
    if (mean > 160) {
      value |= 1u << bit;
    } else if (mean >= 96) {
      return std::nullopt;
    }
  }
  return FrameBarcode{static_cast<int>(value & 0xFFFF), static_cast<int>(value >> 16)};
}

}  // namespace mkcard
