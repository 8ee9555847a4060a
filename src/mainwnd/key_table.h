#pragma once

#include <QString>
#include <Qt>
#include <span>

// The keys of the main window: one table from key to what it does, read by
// the window's key handling and by the key-help dialog alike.

// What a key does beside the commands of command_ids.h.
enum KeyAction : int {
  kKeyStepForward = 39000,  // one picture forward, paused
  kKeyStepBack,             // one picture back, paused
  kKeySeekBack1,            // seek 1 s back
  kKeySeekForward1,
  kKeySeekBack5,
  kKeySeekForward5,
  kKeySeekBack60,
  kKeySeekForward60,
  kKeyNormalRate,       // back to x1
  kKeyNextEvent,        // the graph's next event mark
  kKeyPrevEvent,        // the graph's previous event mark
  kKeyFullScreen,       // full screen on and off
  kKeyLeaveFullScreen,  // only in full screen
  kKeyMute,             // the volume to 0 and back
  kKeyHelp,             // the list of the keys
  kKeyBackwards,        // plays backwards; again: faster
  kKeyPauseOnly,        // pauses a playing movie
  kKeyForwards,         // plays forwards; again: faster
};

struct KeyBinding {
  int key;        // a Qt::Key
  int modifiers;  // Qt::KeyboardModifier values: only Shift and Control are used
  int action;     // a CommandId or a KeyAction
  int help;       // the UI text slot of what it does (with "%d" for a seek's seconds)
};

// The table, in the order the key help lists it.
std::span<const KeyBinding> KeyBindings();

// The binding of a key press; null for a key the table does not hold. The
// keypad flag is ignored, and so is Shift on the punctuation keys, whose
// Shift differs from one keyboard layout to the next.
const KeyBinding* FindKeyBinding(int key, Qt::KeyboardModifiers modifiers);

// The seconds a seek action moves (negative back); 0 for other actions.
int SeekSeconds(int action);

// What the key does as the key help shows it ("5秒戻る").
QString KeyHelpText(const KeyBinding& binding);

// The key as the key help shows it ("Space", "Shift+Left", "F1").
QString KeyLabel(const KeyBinding& binding);
