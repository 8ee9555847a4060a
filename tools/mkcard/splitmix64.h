#pragma once

#include <cstdint>

namespace mkcard {

// A small pseudo-random generator whose output is fixed by its seed on every
// platform and library version (the std:: distributions are not).
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Returns a whole number in [low, high].
  int Between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(Next() % span);
  }

 private:
  std::uint64_t state_;
};

}  // namespace mkcard
