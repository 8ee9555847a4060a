#pragma once

#include <cstdint>

// The fixed rules of the main window's playback coordination.

// Frames kept clear of the end when seeking: 80 at rate code 4, 40 at 2,
// otherwise 20 (also while the engine is not ready, rateCode 0).
int EndMargin(int rateCode);

// Whether a playing movie is within EndMargin of its end. Stopped (1) or
// paused (3) movies never are; a frame count of 0 never is.
bool NearEnd(int playState, std::int64_t position, std::int64_t frameCount, int rateCode);

// Whether the tick may move the views to `position`: no seek is pending
// (-1), or the engine has arrived within frameCount / 1000 + 30 frames of the
// pending frame.
bool SyncAllowed(int pendingFrame, std::int64_t position, std::int64_t frameCount);

// The seek target and the frame the views show for a seek to `frame`: the
// engine stops EndMargin short of the end (never before frame 0), the views
// show the frame itself, kept within [sliderMin, frameCount - 1].
struct SeekFrames {
  std::int64_t target;
  std::int64_t view;
};
SeekFrames SeekFramesFor(std::int64_t frame, std::int64_t frameCount, int rateCode, int sliderMin);

// The quality code of a picture `height` pixels high: 1 or 2 for 360, 3 or
// 4 for 720, 5 or 6 for 1080 (the lower one when the track header's quality
// character is 'H'); 0 otherwise.
int QualityCode(int height, char headerQuality);

// The UI text slot of the rate label for a rate code, playing forwards or
// backwards; -1 for no label (x1 forwards).
int RateLabelSlot(int rateCode, bool backwards = false);
