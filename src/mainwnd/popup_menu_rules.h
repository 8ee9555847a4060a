#pragma once

#include <vector>

// The items of the movie popup menu, by the engine's state and the window's.

struct PopupInputs {
  bool engineReady = false;
  int playState = 0;  // 0 closed, 1 stopped, 2 playing, 3 paused
  int rateCode = 1;
  int aspectMode = 0;
  int windowMode = 0;
  bool fullScreen = false;
  bool listEmpty = true;  // the recording list
  bool clipReady = false;  // the marks make a stretch that can be written
  bool backwards = false;  // the engine's direction is backwards
};

enum class PopupText {
  kSeparator,
  kPlay,
  kPause,
  kStop,
  kFaster,
  kSlower,
  kSnapshot,
  kSettings,
  kSource,
  kKeepAspect,   // "フルスクリーン（縦横比を維持）"
  kStretch,      // "フルスクリーン（ストレッチ）"
  kObdMeters,    // "車両情報"
  kEventList,    // "イベント一覧"
  kGpxExport,    // "GPX出力"
  kStepForward,  // "1コマ進む"
  kStepBack,     // "1コマ戻る"
  kKeyHelp,      // "キー操作一覧"
  kClipStart,    // "開始点を設定"
  kClipEnd,      // "終了点を設定"
  kClipExport,   // "クリップを書き出す…"
  kBackwards,    // "逆再生"
};

struct PopupItem {
  int command = 0;  // 0 for a separator
  PopupText text = PopupText::kSeparator;
  bool greyed = false;
  bool checkable = false;
  bool checked = false;
};

// Every menu ends, after a separator, with the vehicle meters, the event
// list of the whole source and its GPX export (greyed with an empty list),
// after another with the clip's marks (greyed without an open movie) and
// its export (greyed until the marks make a stretch that can be written),
// and after a last one with playing backwards (checked while it does) and
// the picture steps (greyed without an open movie) and the key help.
std::vector<PopupItem> PopupMenuItems(const PopupInputs& in);
