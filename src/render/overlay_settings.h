#pragma once

#include <string>

#include "render/clip_render.h"

// How the window renders a clip as an MP4, in the settings file's
// "OVERLAY" section:
//   BLOCKS       the blocks that are on, as --overlay names them
//                ("time,speed,g,events,map"; "none" for none)
//   SIZE         the blocks' size: S, M or L
//   PLACE        the edge they sit along: bottom or top
//   OUTPUT_SIZE  source or 720p
//   PRESET       one of the encoder's speed presets
// A value the viewer does not know reads as the default and stays in the
// file until the user changes that choice.
struct OverlaySettings {
  OverlayBlocks blocks = kAllOverlayBlocks;
  OverlayScale scale = OverlayScale::kMedium;
  OverlayPlace place = OverlayPlace::kBottom;
  RenderSize size = RenderSize::kSource;
  std::string preset = std::string(kDefaultRenderPreset);
};

OverlaySettings ReadOverlaySettings();

// Writes the choices of `chosen` that differ from `loaded` (what
// ReadOverlaySettings gave); false when the file cannot be written.
bool WriteOverlaySettings(const OverlaySettings& chosen, const OverlaySettings& loaded);

// The window's render options: the "OVERLAY" section's, the speed unit and
// the clock's offset the panel shows with, and "MAP"/"TILE_URL"'s tiles
// under the route map.
RenderOptions RenderOptionsFromSettings();
