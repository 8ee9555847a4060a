#pragma once

// Window messages the main window receives (posted AppMessageEvents), beside
// those of the engine (player/engine_messages.h), the sliders
// (CSkinSliderCtrl) and the information panel (CInfoDlg).
inline constexpr int WM_APP_ADVANCE = 0x8001;    // go on with the next recording
inline constexpr int WM_APP_REFRESH = 0x8003;    // lParam a frame to show again, -1 the range only
inline constexpr int WM_APP_RELAYOUT = 0x8007;   // the picture placed again, not repainted
inline constexpr int WM_APP_ICON_KIND = 0x81F5;  // a kind of event marks switched on or off
inline constexpr int WM_APP_OPEN_FINISHED = 0x8262;  // lParam 1: finish the open; wParam 1: playing
inline constexpr int WM_APP_FOLDER_CHANGED = 0x8456;  // the folder tree's choice changed
inline constexpr int WM_APP_TRACK_LOADED = 0x8515;    // the track loader read the track ahead
inline constexpr int WM_APP_WORK_DONE = 0x8516;      // the command worker ended (lParam its result)
inline constexpr int WM_APP_WORK_PROGRESS = 0x8517;  // wParam items done, lParam items in all
