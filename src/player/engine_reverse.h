#pragma once

#include <chrono>

#include "player/player_engine_state.h"

// Playing backwards inside the engine, under "hFileMutex".
namespace engine {

// Starts playing backwards from the picture shown; false when the movie
// cannot (no sample tables, no keyframe at or before the picture).
bool StartBackwards(PlayerEngineState* s);
// Stops playing backwards, the picture shown staying; nothing while it does not.
void StopBackwards(PlayerEngineState* s);
// The speed of the rate code without its direction (x0.25 .. x4).
double SpeedOfRate(const PlayerEngineState* s);
// Has the pictures before the one the player pauses on decoded in the
// background after `delay`, for a step back or playing backwards from it.
void PrefetchBeforeShown(PlayerEngineState* s, std::chrono::milliseconds delay);

}  // namespace engine
