#include "mainwnd/playback_rules.h"

#include <algorithm>

int EndMargin(int rateCode) {
  if (rateCode == 4) return 80;
  if (rateCode == 2) return 40;
  return 20;
}

bool NearEnd(int playState, std::int64_t position, std::int64_t frameCount, int rateCode) {
  if (playState == 1 || playState == 3) return false;
  return frameCount != 0 && position + EndMargin(rateCode) >= frameCount;
}

bool SyncAllowed(int pendingFrame, std::int64_t position, std::int64_t frameCount) {
  if (pendingFrame == -1) return true;
  const std::int64_t margin = frameCount / 1000 + 30;
  return pendingFrame - margin < position && position < pendingFrame + margin;
}

SeekFrames SeekFramesFor(std::int64_t frame, std::int64_t frameCount, int rateCode, int sliderMin) {
  const std::int64_t target =
      std::max<std::int64_t>(0, std::min(frame, frameCount - EndMargin(rateCode)));
  const std::int64_t view = std::max<std::int64_t>(std::min(frame, frameCount - 1), sliderMin);
  return {target, view};
}

int QualityCode(int height, char headerQuality) {
  const int high = headerQuality == 'H' ? 0 : 1;
  switch (height) {
    case 360:
      return 1 + high;
    case 720:
      return 3 + high;
    case 1080:
      return 5 + high;
    default:
      return 0;
  }
}

int RateLabelSlot(int rateCode, bool backwards) {
  if (backwards) {
    switch (rateCode) {
      case 1:
        return 158;
      case 2:
        return 159;
      case 4:
        return 160;
      case -2:
        return 161;
      case -4:
        return 162;
      default:
        return -1;
    }
  }
  switch (rateCode) {
    case 2:
      return 61;
    case 4:
      return 62;
    case -2:
      return 63;
    case -4:
      return 64;
    default:
      return -1;
  }
}
