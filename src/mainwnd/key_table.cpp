#include "mainwnd/key_table.h"

#include <QKeySequence>
#include <array>
#include <cstdlib>

#include "base/ui_text.h"
#include "mainwnd/command_ids.h"

namespace {

constexpr int kNone = Qt::NoModifier;
constexpr int kShift = Qt::ShiftModifier;
constexpr int kCtrl = Qt::ControlModifier;

constexpr std::array<KeyBinding, 32> kBindings = {{
    {Qt::Key_Space, kNone, kCmdPlayPause, 201},
    {Qt::Key_Period, kNone, kKeyStepForward, 202},
    {Qt::Key_Comma, kNone, kKeyStepBack, 203},
    {Qt::Key_Left, kNone, kKeySeekBack5, 204},
    {Qt::Key_Right, kNone, kKeySeekForward5, 205},
    {Qt::Key_Left, kShift, kKeySeekBack1, 204},
    {Qt::Key_Right, kShift, kKeySeekForward1, 205},
    {Qt::Key_Left, kCtrl, kKeySeekBack60, 204},
    {Qt::Key_Right, kCtrl, kKeySeekForward60, 205},
    {Qt::Key_BracketLeft, kNone, kCmdSlower, 17},
    {Qt::Key_BracketRight, kNone, kCmdFaster, 4},
    {Qt::Key_Backspace, kNone, kKeyNormalRate, 206},
    {Qt::Key_J, kNone, kKeyBackwards, 230},
    {Qt::Key_K, kNone, kKeyPauseOnly, 11},
    {Qt::Key_L, kNone, kKeyForwards, 231},
    {Qt::Key_Home, kNone, kCmdToStart, 20},
    {Qt::Key_PageUp, kNone, kCmdPrevious, 207},
    {Qt::Key_PageDown, kNone, kCmdNext, 208},
    {Qt::Key_E, kNone, kKeyNextEvent, 209},
    {Qt::Key_E, kShift, kKeyPrevEvent, 210},
    {Qt::Key_S, kNone, kCmdSnapshot, 19},
    {Qt::Key_E, kCtrl, kCmdEventList, 180},
    {Qt::Key_G, kNone, kCmdGpxExport, 211},
    {Qt::Key_F, kNone, kKeyFullScreen, 212},
    {Qt::Key_Escape, kNone, kKeyLeaveFullScreen, 213},
    {Qt::Key_Z, kNone, kCmdZoom, 21},
    {Qt::Key_M, kNone, kKeyMute, 214},
    {Qt::Key_I, kNone, kCmdClipStart, 215},
    {Qt::Key_O, kNone, kCmdClipEnd, 216},
    {Qt::Key_C, kNone, kCmdClipAround, 189},
    {Qt::Key_Question, kNone, kKeyHelp, 198},
    {Qt::Key_F1, kNone, kKeyHelp, 198},
}};

// Printable keys other than letters and digits.
bool IsPunctuation(int key) {
  const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
  const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
  return key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde && !letter && !digit;
}

}  // namespace

std::span<const KeyBinding> KeyBindings() { return kBindings; }

const KeyBinding* FindKeyBinding(int key, Qt::KeyboardModifiers modifiers) {
  Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
  if (IsPunctuation(key)) held &= ~Qt::ShiftModifier;
  for (const KeyBinding& binding : kBindings) {
    if (binding.key == key && static_cast<int>(held.toInt()) == binding.modifiers) return &binding;
  }
  return nullptr;
}

int SeekSeconds(int action) {
  switch (action) {
    case kKeySeekBack1:
      return -1;
    case kKeySeekForward1:
      return 1;
    case kKeySeekBack5:
      return -5;
    case kKeySeekForward5:
      return 5;
    case kKeySeekBack60:
      return -60;
    case kKeySeekForward60:
      return 60;
    default:
      return 0;
  }
}

QString KeyHelpText(const KeyBinding& binding) {
  const int seconds = std::abs(SeekSeconds(binding.action));
  const QString text = UiText(binding.help);
  return seconds != 0 ? QString::asprintf(text.toUtf8().constData(), seconds) : text;
}

QString KeyLabel(const KeyBinding& binding) {
  const QKeyCombination combination(Qt::KeyboardModifiers(binding.modifiers),
                                    static_cast<Qt::Key>(binding.key));
  return QKeySequence(combination).toString(QKeySequence::PortableText);
}
