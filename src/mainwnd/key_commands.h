#pragma once

// The main window's keys and picture steps.

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <optional>

#include "player/player_engine_ops.h"
#include "player/player_engine_state.h"

class CKestrelDlg;
class CKeyHelpDlg;
class QKeyEvent;

// The keys of the key table, while the window or one of its children has
// the focus and neither a dialog nor a command worker runs.
class KeyCommands : public QObject {
  Q_OBJECT
 public:
  KeyCommands(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine);

  // A key pressed or released on the window; false when the key table has
  // no binding for it.
  bool KeyPress(QKeyEvent* event);
  bool KeyRelease(QKeyEvent* event);
  // One picture forward (+1) or back (-1), paused, the views following;
  // false when there was none to show.
  bool StepPictureBy(int direction);
  void ShowKeyHelp();
  // The key help while it is open.
  CKeyHelpDlg* keyHelpDlg() const { return keyHelpDlg_; }

 protected:
  // Keys pressed on the window's children come to the key table first.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  // No dialog is open and no command works: the keys may act.
  bool KeysActive() const;
  // Whether the binding's action may run now: a command only when its
  // button would be enabled, the picture steps and seeks with an open movie.
  bool KeyActionAvailable(int action);
  void RunKeyAction(int action);
  // A step key held down: steps follow at the picture rate from the first
  // repeat of the key until its release, never faster than they are shown.
  void StartStepRepeat(int direction);
  void OnStepRepeat();
  void SeekBySeconds(int seconds);
  void SetNormalRate();
  void ToggleMute();

  CKestrelDlg& dlg_;
  const PlayerEngineOps& ops_;
  PlayerEngineState* engine_;

  QBasicTimer stepRepeat_;
  int stepRepeatDirection_ = 0;
  // Since the last repeat of the held step key.
  QElapsedTimer sinceStepRepeatKey_;
  // The volume before mute; empty while not muted.
  std::optional<int> mutedLevel_;
  CKeyHelpDlg* keyHelpDlg_ = nullptr;
};
