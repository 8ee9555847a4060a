#include "mainwnd/button_rules.h"

namespace {

ButtonState& Of(ButtonStates& states, int command) { return states[command - kFirstBarCommand]; }

}  // namespace

bool CsvAvailableFor(ListedSource source, int recordings) {
  return source != ListedSource::kNone && recordings > 0;
}

ButtonStates BarButtonStates(const ButtonInputs& in) {
  ButtonStates states{};
  Of(states, kCmdCsv).enabled = in.csvAvailable;
  if (in.recordings == 0) {
    Of(states, kCmdSource).enabled = true;
    return states;
  }
  const int state = in.engineReady ? in.playState : 0;
  const bool playing = state == 2;
  const bool open = state == 2 || state == 3;
  const bool single = in.recordings == 1;
  Of(states, kCmdToStart).enabled = open;
  Of(states, kCmdPrevious).enabled = !single && in.currentIndex != 0;
  Of(states, kCmdPlayPause).enabled = playing || in.trackLoaded;
  Of(states, kCmdSlower).enabled = playing && in.rateCode >= -1;
  Of(states, kCmdFaster).enabled = playing && in.rateCode < 4;
  Of(states, kCmdNext).enabled = !single && in.currentIndex + 1 != in.recordings;
  Of(states, kCmdSnapshot).enabled = in.trackLoaded;
  Of(states, kCmdSnapshot).shown = in.windowMode != 2;
  // Recordings copied to a folder, or one file, join as those of a card do.
  Of(states, kCmdJoin).enabled = in.source != ListedSource::kNone;
  Of(states, kCmdZoom).enabled = in.trackLoaded;
  Of(states, kCmdSource).enabled = true;
  Of(states, kCmdDelete).enabled = in.source != ListedSource::kFile;
  Of(states, kCmdSettings).enabled = true;
  return states;
}
