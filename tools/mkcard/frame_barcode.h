#pragma once

#include <cstdint>
#include <optional>

namespace mkcard {

// Every generated frame carries a strip of 24 black or white blocks across
// the top of the picture: block i (from the left) is white when bit i is set
// in frame + (recording << 16), that is bits 0-15 hold the frame number within
// the recording and bits 16-23 the recording's card index mod 256.
inline constexpr int kBarcodeBits = 24;

// Height of the strip in pixels for a picture of `height` lines.
int BarcodeHeight(int height);

struct FrameBarcode {
  int frame = 0;
  int recording = 0;
};

// Reads the strip from an 8-bit grey picture (`stride` bytes per line).
// Fails when a block is neither clearly black nor clearly white.
std::optional<FrameBarcode> ReadFrameBarcode(const std::uint8_t* grey, int width, int height,
                                             int stride);

}  // namespace mkcard
