#pragma once

// The playback speeds behind the engine's rate codes (1, 2, 4, -1, -2, -4).

struct RateChoice {
  int code;      // the code the engine keeps
  double speed;  // the speed it plays at; negative plays backwards
};

// Returns the code and speed that SetRate(requested) selects while the
// current code is `current`. Without reverse play the slower codes play
// slow motion, and -1 toggles between x1 and x0.5.
RateChoice ChooseRate(int requested, int current, bool canPlayBackwards);

// Returns the next rate code of the faster or slower command from the
// current code (playing only; the engine handles the other states). The
// media player back end has its own slower row; `mediaPlayer` selects it.
int NextRateCodeFrom(int current, bool faster, bool mediaPlayer, bool canPlayBackwards);
