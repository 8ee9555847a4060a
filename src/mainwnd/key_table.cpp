#include "mainwnd/key_table.h"

#include <QKeySequence>
#include <array>

#include "mainwnd/command_ids.h"

namespace {

constexpr int kNone = Qt::NoModifier;
constexpr int kShift = Qt::ShiftModifier;
constexpr int kCtrl = Qt::ControlModifier;

constexpr std::array<KeyBinding, 32> kBindings = {{
    {Qt::Key_Space, kNone, kCmdPlayPause, "再生／一時停止"},
    {Qt::Key_Period, kNone, kKeyStepForward, "1コマ進む"},
    {Qt::Key_Comma, kNone, kKeyStepBack, "1コマ戻る"},
    {Qt::Key_Left, kNone, kKeySeekBack5, "5秒戻る"},
    {Qt::Key_Right, kNone, kKeySeekForward5, "5秒進む"},
    {Qt::Key_Left, kShift, kKeySeekBack1, "1秒戻る"},
    {Qt::Key_Right, kShift, kKeySeekForward1, "1秒進む"},
    {Qt::Key_Left, kCtrl, kKeySeekBack60, "60秒戻る"},
    {Qt::Key_Right, kCtrl, kKeySeekForward60, "60秒進む"},
    {Qt::Key_BracketLeft, kNone, kCmdSlower, "スロー"},
    {Qt::Key_BracketRight, kNone, kCmdFaster, "早送り"},
    {Qt::Key_Backspace, kNone, kKeyNormalRate, "通常の速度"},
    {Qt::Key_J, kNone, kKeyBackwards, "逆再生（もう一度で速く）"},
    {Qt::Key_K, kNone, kKeyPauseOnly, "一時停止"},
    {Qt::Key_L, kNone, kKeyForwards, "再生（もう一度で速く）"},
    {Qt::Key_Home, kNone, kCmdToStart, "先頭"},
    {Qt::Key_PageUp, kNone, kCmdPrevious, "前の動画"},
    {Qt::Key_PageDown, kNone, kCmdNext, "次の動画"},
    {Qt::Key_E, kNone, kKeyNextEvent, "次のイベント"},
    {Qt::Key_E, kShift, kKeyPrevEvent, "前のイベント"},
    {Qt::Key_S, kNone, kCmdSnapshot, "静止画"},
    {Qt::Key_E, kCtrl, kCmdEventList, "イベント一覧"},
    {Qt::Key_G, kNone, kCmdGpxExport, "GPX出力"},
    {Qt::Key_F, kNone, kKeyFullScreen, "フルスクリーン"},
    {Qt::Key_Escape, kNone, kKeyLeaveFullScreen, "フルスクリーン解除"},
    {Qt::Key_Z, kNone, kCmdZoom, "拡大"},
    {Qt::Key_M, kNone, kKeyMute, "消音／消音解除"},
    {Qt::Key_I, kNone, kCmdClipStart, "開始点を設定"},
    {Qt::Key_O, kNone, kCmdClipEnd, "終了点を設定"},
    {Qt::Key_C, kNone, kCmdClipAround, "前後を書き出す"},
    {Qt::Key_Question, kNone, kKeyHelp, "キー操作一覧"},
    {Qt::Key_F1, kNone, kKeyHelp, "キー操作一覧"},
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

QString KeyLabel(const KeyBinding& binding) {
  const QKeyCombination combination(Qt::KeyboardModifiers(binding.modifiers),
                                    static_cast<Qt::Key>(binding.key));
  return QKeySequence(combination).toString(QKeySequence::PortableText);
}
