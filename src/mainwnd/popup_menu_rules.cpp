#include "mainwnd/popup_menu_rules.h"

#include "mainwnd/command_ids.h"

namespace {

void AddSeparator(std::vector<PopupItem>& items) { items.push_back({}); }

// What follows the play item (and the play state's own items) of a movie
// that is open: the aspect item in full screen, else snapshot, settings
// and the source.
void AddTail(std::vector<PopupItem>& items, const PopupInputs& in) {
  if (in.fullScreen) {
    const int aspect = in.engineReady ? in.aspectMode : 0;
    if (aspect == 0) items.push_back({kCmdFullScreenAspect, PopupText::kKeepAspect});
    if (aspect == 1) items.push_back({kCmdFullScreenAspect, PopupText::kStretch});
    return;
  }
  AddSeparator(items);
  items.push_back({kCmdSnapshot, PopupText::kSnapshot});
  items.push_back({kCmdSettings, PopupText::kSettings});
  if (in.windowMode != 2) {
    AddSeparator(items);
    items.push_back({kCmdSource, PopupText::kSource});
  }
}

// The items after the recorder's own: the meters, the event list and the
// GPX export of the source.
void AddViewerItems(std::vector<PopupItem>& items, const PopupInputs& in) {
  AddSeparator(items);
  items.push_back({kCmdObdMeters, PopupText::kObdMeters});
  items.push_back({kCmdEventList, PopupText::kEventList});
  items.push_back({kCmdGpxExport, PopupText::kGpxExport, in.listEmpty});
}

// What the keys do beside the commands: the picture steps and playing
// backwards, which need an open movie (stopped, playing or paused), and the
// list of the keys.
void AddKeyItems(std::vector<PopupItem>& items, const PopupInputs& in) {
  const bool open = in.engineReady && in.playState != 0;
  AddSeparator(items);
  items.push_back({kCmdBackwards, PopupText::kBackwards, !open, true,
                   open && in.playState == 2 && in.backwards});
  items.push_back({kCmdStepForward, PopupText::kStepForward, !open});
  items.push_back({kCmdStepBack, PopupText::kStepBack, !open});
  items.push_back({kCmdKeyHelp, PopupText::kKeyHelp});
}

// The clip: its two marks at the picture shown and its export.
void AddClipItems(std::vector<PopupItem>& items, const PopupInputs& in) {
  const bool open = in.engineReady && in.playState != 0;
  AddSeparator(items);
  items.push_back({kCmdClipStart, PopupText::kClipStart, !open});
  items.push_back({kCmdClipEnd, PopupText::kClipEnd, !open});
  items.push_back({kCmdClipExport, PopupText::kClipExport, !in.clipReady});
}

std::vector<PopupItem> RecorderItems(const PopupInputs& in) {
  std::vector<PopupItem> items;
  const int state = in.engineReady ? in.playState : 0;
  if (state == 0) {
    items.push_back({kCmdSettings, PopupText::kSettings});
    if (in.windowMode != 2) {
      AddSeparator(items);
      items.push_back({kCmdSource, PopupText::kSource});
    }
    return items;
  }
  if (state == 1) {
    items.push_back({kCmdPlayPause, PopupText::kPlay});
    AddTail(items, in);
    return items;
  }
  const bool paused = state == 3;
  items.push_back({kCmdPlayPause, paused ? PopupText::kPlay : PopupText::kPause});
  items.push_back({kCmdToStart, PopupText::kStop});
  items.push_back({kCmdFaster, PopupText::kFaster, paused || in.rateCode >= 4});
  items.push_back({kCmdSlower, PopupText::kSlower, paused || in.rateCode < 0});
  AddTail(items, in);
  return items;
}

}  // namespace

std::vector<PopupItem> PopupMenuItems(const PopupInputs& in) {
  std::vector<PopupItem> items = RecorderItems(in);
  AddViewerItems(items, in);
  AddClipItems(items, in);
  AddKeyItems(items, in);
  return items;
}
