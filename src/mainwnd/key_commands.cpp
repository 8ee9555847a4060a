// The main window's keys: each press is looked up in the key table and runs
// its command, with the command's own preconditions, or its key action.
// Nothing acts while a dialog is open or a command worker runs.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <cmath>

#include "browser/file_list_ctrl.h"
#include "mainwnd/button_rules.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/key_table.h"
#include "views/key_help_dlg.h"

namespace {

// Without a repeat of the held key for this long, it is no longer held (its
// release went to another window).
constexpr qint64 kHoldLostMs = 500;

bool IsBarCommand(int action) {
  return action >= kFirstBarCommand && action < kFirstBarCommand + kBarButtonCount;
}

int StepDirection(int action) {
  if (action == kKeyStepForward) return 1;
  if (action == kKeyStepBack) return -1;
  return 0;
}

// A text field that can be typed into keeps its keys; the window's read-only
// path field does not.
bool KeyStaysWithField(const QWidget* focus) {
  const auto* field = qobject_cast<const QLineEdit*>(focus);
  return field != nullptr && !field->isReadOnly();
}

}  // namespace

KeyCommands::KeyCommands(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine)
    : dlg_(dlg), ops_(ops), engine_(engine) {}

// Wherever the focus is in the window (the list, the folder tree, a filter
// button, the path field), a key of the table acts as on the window itself:
// the controls would otherwise take Space, the arrows, Home and the pages.
bool KeyCommands::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::KeyPress;
  if (!press && event->type() != QEvent::KeyRelease) return QObject::eventFilter(watched, event);
  const auto* widget = qobject_cast<const QWidget*>(watched);
  if (widget == nullptr || widget == &dlg_ || widget->window() != &dlg_ ||
      KeyStaysWithField(widget)) {
    return QObject::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (FindKeyBinding(key->key(), key->modifiers()) == nullptr) return false;
  if (press) {
    KeyPress(key);
  } else {
    KeyRelease(key);
  }
  return true;
}

bool KeyCommands::KeyPress(QKeyEvent* event) {
  const KeyBinding* binding = FindKeyBinding(event->key(), event->modifiers());
  if (binding == nullptr) return false;
  // Every key of the table is the window's, Esc too: the dialog's own Esc
  // would close the program.
  event->accept();
  if (!KeysActive() || !KeyActionAvailable(binding->action)) return true;
  const int direction = StepDirection(binding->action);
  if (direction != 0 && event->isAutoRepeat()) {
    sinceStepRepeatKey_.start();
    if (!stepRepeat_.isActive() || direction != stepRepeatDirection_) StartStepRepeat(direction);
    return true;
  }
  stepRepeat_.stop();
  RunKeyAction(binding->action);
  return true;
}

bool KeyCommands::KeyRelease(QKeyEvent* event) {
  const KeyBinding* binding = FindKeyBinding(event->key(), event->modifiers());
  if (binding == nullptr) return false;
  event->accept();
  if (!event->isAutoRepeat() && StepDirection(binding->action) != 0) stepRepeat_.stop();
  return true;
}

void KeyCommands::timerEvent(QTimerEvent* event) {
  if (event->timerId() != stepRepeat_.timerId()) {
    QObject::timerEvent(event);
    return;
  }
  OnStepRepeat();
}

bool KeyCommands::KeysActive() const {
  // A command disables the controls from its first dialog until its worker
  // is done. A dialog is open when a modal window other than this one is: the
  // window itself may have been run modally.
  const QWidget* modal = QApplication::activeModalWidget();
  return !dlg_.controlsDisabledByCommand() && (modal == nullptr || modal == &dlg_) &&
         QApplication::activePopupWidget() == nullptr;
}

bool KeyCommands::KeyActionAvailable(int action) {
  if (IsBarCommand(action)) {
    // The command runs when its button would be enabled.
    return dlg_.CurrentButtonStates()[static_cast<std::size_t>(action - kFirstBarCommand)].enabled;
  }
  switch (action) {
    case kKeyStepForward:
    case kKeyStepBack:
    case kKeyBackwards:
    case kKeyPauseOnly:
    case kKeyForwards:
    case kCmdClipStart:
    case kCmdClipEnd:
    case kCmdClipAround:
      return dlg_.playback().NeedsOpenMovie();
    case kKeyNormalRate:
      return dlg_.playback().NeedsOpenMovie() && engine_->rateCode != 1;
    case kKeyNextEvent:
    case kKeyPrevEvent:
      return dlg_.playback().openComplete();
    case kKeyLeaveFullScreen:
      return dlg_.windowModes().fullScreen();
    case kKeyFullScreen:
    case kKeyMute:
    case kKeyHelp:
    case kCmdEventList:
      return true;
    case kCmdGpxExport:
      return dlg_.fileList()->entryCount() > 0;
    default:
      // The seeks: what the seek slider allows.
      return SeekSeconds(action) != 0 && dlg_.playback().NeedsOpenMovie() &&
             !dlg_.playback().busy();
  }
}

void KeyCommands::RunKeyAction(int action) {
  if (IsBarCommand(action)) {
    dlg_.OnCommand(action);
    return;
  }
  if (const int seconds = SeekSeconds(action); seconds != 0) {
    SeekBySeconds(seconds);
    return;
  }
  switch (action) {
    case kKeyStepForward:
    case kKeyStepBack:
      StepPictureBy(StepDirection(action));
      break;
    case kKeyNormalRate:
      SetNormalRate();
      break;
    case kKeyBackwards:
      dlg_.playback().OnBackwardsKey();
      break;
    case kKeyPauseOnly:
      dlg_.playback().OnPauseKey();
      break;
    case kKeyForwards:
      dlg_.playback().OnForwardsKey();
      break;
    case kKeyNextEvent:
      dlg_.mapAndMarks().OnNextEvent();
      break;
    case kKeyPrevEvent:
      dlg_.mapAndMarks().OnPrevEvent();
      break;
    case kKeyFullScreen:
    case kKeyLeaveFullScreen:
      dlg_.windowModes().OnToggleFullScreen();
      break;
    case kKeyMute:
      ToggleMute();
      break;
    case kKeyHelp:
      ShowKeyHelp();
      break;
    case kCmdEventList:
    case kCmdGpxExport:
    case kCmdClipStart:
    case kCmdClipEnd:
    case kCmdClipAround:
      dlg_.OnCommand(action);
      break;
    default:
      break;
  }
}

bool KeyCommands::StepPictureBy(int direction) {
  if (!dlg_.playback().NeedsOpenMovie() || engine_->engineReady == 0) return false;
  // As the pause command: a movie playing fast is paused at normal speed.
  if (engine_->playState == 2 && engine_->rateCode != 1) ops_.SetRate(engine_, 1);
  if (!ops_.StepPicture(engine_, direction)) return false;
  dlg_.playback().UpdateRateLabel();
  dlg_.playback().SyncViewsToFrame(ops_.GetPosition(engine_));
  dlg_.SetPlayButtonLook(false);
  dlg_.mapAndMarks().PushMapStatus(1);
  dlg_.UpdateButtons();
  return true;
}

void KeyCommands::StartStepRepeat(int direction) {
  const float unit = ops_.GetFrameUnit(engine_);
  if (unit <= 0) return;
  stepRepeatDirection_ = direction;
  stepRepeat_.start(std::max(1, static_cast<int>(std::lround(unit))), this);
  OnStepRepeat();
}

void KeyCommands::OnStepRepeat() {
  const bool held = sinceStepRepeatKey_.isValid() && sinceStepRepeatKey_.elapsed() < kHoldLostMs;
  const int action = stepRepeatDirection_ > 0 ? kKeyStepForward : kKeyStepBack;
  const bool stepped =
      held && KeysActive() && KeyActionAvailable(action) && StepPictureBy(stepRepeatDirection_);
  // At either end of the movie, when the key is no longer held or the keys
  // no longer act, the repeat ends. A step slower than the timer delays its next round rather
  // than queueing rounds behind it, and the key's own repeats only keep the
  // hold alive, so no more steps are made than pictures are shown.
  if (!stepped) stepRepeat_.stop();
}

void KeyCommands::SeekBySeconds(int seconds) {
  const float unit = ops_.GetFrameUnit(engine_);
  if (unit <= 0) return;
  const std::int64_t count = ops_.GetFrameCount(engine_);
  const auto frames = static_cast<std::int64_t>(std::llround(seconds * 1000.0 / unit));
  const std::int64_t target = std::clamp<std::int64_t>(ops_.GetPosition(engine_) + frames, 0,
                                                       std::max<std::int64_t>(count - 1, 0));
  dlg_.playback().SeekTo(static_cast<int>(target));
}

void KeyCommands::SetNormalRate() {
  ops_.SetRate(engine_, 1);
  dlg_.UpdateButtons();
  dlg_.playback().UpdateRateLabel();
}

void KeyCommands::ToggleMute() {
  // Muted is the slider at 0 since the mute key; a level set on the slider
  // meanwhile ends the mute, and the key mutes again.
  if (mutedLevel_ && dlg_.playback().volumeLevel() == 0) {
    const int level = *mutedLevel_;
    mutedLevel_.reset();
    dlg_.playback().SetVolumeLevel(level);
    return;
  }
  mutedLevel_ = dlg_.playback().volumeLevel();
  dlg_.playback().SetVolumeLevel(0);
}

void KeyCommands::ShowKeyHelp() {
  std::vector<KeyHelpRow> rows;
  for (const KeyBinding& binding : KeyBindings()) {
    rows.push_back({KeyLabel(binding), KeyHelpText(binding)});
  }
  CKeyHelpDlg dialog(rows, &dlg_);
  keyHelpDlg_ = &dialog;
  dialog.exec();
  keyHelpDlg_ = nullptr;
}
