#include "player/rate_codes.h"

RateChoice ChooseRate(int requested, int current, bool canPlayBackwards) {
  switch (requested) {
    case 1:
      return {1, 1.0};
    case 2:
      return {2, 2.0};
    case 4:
      return {4, 4.0};
    case -1:
      if (canPlayBackwards) return {-1, -1.0};
      if (current == 1) return {-2, 0.5};
      return {1, 1.0};
    case -2:
      return canPlayBackwards ? RateChoice{-2, -2.0} : RateChoice{-2, 0.5};
    case -4:
      return canPlayBackwards ? RateChoice{-4, -4.0} : RateChoice{-4, 0.25};
    default:
      return {1, 1.0};
  }
}

int NextRateCodeFrom(int current, bool faster, bool mediaPlayer, bool canPlayBackwards) {
  if (faster) {
    switch (current) {
      case 1:
        return 2;
      case 2:
      case 4:
        return 4;
      case -4:
        return -2;
      case -2:
        return canPlayBackwards ? -1 : 1;
      default:
        return 1;
    }
  }
  switch (current) {
    case 1:
      return -1;
    case 4:
      return 2;
    case -4:
      return mediaPlayer ? 1 : -4;
    case -2:
      return mediaPlayer ? -2 : -4;
    case -1:
      return -2;
    default:
      return 1;
  }
}
