#pragma once

// The command identifiers of the main window: the thirteen control-bar
// buttons (left to right), the meters, the full-screen aspect item and the
// three title buttons, the popup menu's and the keys' own.
enum CommandId : int {
  kCmdToStart = 38000,
  kCmdPrevious = 38001,
  kCmdPlayPause = 38002,
  kCmdSlower = 38003,
  kCmdFaster = 38004,
  kCmdNext = 38005,
  kCmdSnapshot = 38006,
  kCmdJoin = 38007,
  kCmdZoom = 38008,
  kCmdSource = 38009,
  kCmdDelete = 38010,
  kCmdSettings = 38011,
  kCmdCsv = 38012,
  kCmdObdMeters = 38013,
  kCmdEventList = 38014,
  // The movie popup menu's picture steps and key help.
  kCmdStepForward = 38015,
  kCmdStepBack = 38016,
  kCmdKeyHelp = 38017,
  kCmdGpxExport = 38018,
  // The clip's marks, its export and the stretch around the picture shown.
  kCmdClipStart = 38019,
  kCmdClipEnd = 38020,
  kCmdClipExport = 38021,
  kCmdClipAround = 38022,
  // Playing backwards on and off (the popup menu's checked item).
  kCmdBackwards = 38023,
  kCmdFullScreenAspect = 38200,
  kCmdClose = 13,
  kCmdMinimise = 14,
  kCmdWindowSize = 15,
};

// The control-bar buttons in bar order.
inline constexpr int kBarButtonCount = 13;
inline constexpr int kFirstBarCommand = kCmdToStart;
