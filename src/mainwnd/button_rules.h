#pragma once

#include <array>

#include "mainwnd/command_ids.h"

// Which control-bar buttons are enabled and shown, from the state of the
// list, the engine and the window.

enum class ListedSource { kNone, kCard, kFolder, kFile };

struct ButtonInputs {
  int recordings = 0;     // rows of the list
  int currentIndex = -1;  // the open recording's row
  bool engineReady = false;
  int playState = 0;  // 0 closed, 1 stopped, 2 playing, 3 paused
  bool trackLoaded = false;
  int rateCode = 1;
  int windowMode = 0;  // 0, 1 or 2
  bool fullScreen = false;
  ListedSource source = ListedSource::kNone;
  bool csvAvailable = false;
};

struct ButtonState {
  bool enabled = false;
  bool shown = true;
};

// Indexed by command - kFirstBarCommand.
using ButtonStates = std::array<ButtonState, kBarButtonCount>;

ButtonStates BarButtonStates(const ButtonInputs& in);

// Whether the CSV export is available after a source was listed: a card, a
// folder or a file with at least one recording.
bool CsvAvailableFor(ListedSource source, int recordings);
