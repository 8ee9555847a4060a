#pragma once

#include <atomic>

// A sound sink for the player's pipeline ("kestrelholdingsink") that keeps
// its streaming thread in the first `gHoldsLeft` renders for `kHoldMs`,
// whatever happens meanwhile: a pipeline brought to its NULL state then
// waits for it. gHolding is set while a render holds.
namespace holding_sink {

constexpr int kHoldMs = 3000;
inline std::atomic<int> gHoldsLeft{0};
inline std::atomic<bool> gHolding{false};

// Registers the element with GStreamer (started by then); false when it
// cannot be.
bool Register();

}  // namespace holding_sink
