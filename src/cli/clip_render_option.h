#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "catalogue/clip_stretch.h"

// kestrel-cli clip --render: the stretch as an MP4 with the drive's data
// drawn over its pictures. Built only with the user interface's libraries
// (src/render); without them --render says it is not available.
struct RenderChoice {
  bool render = false;
  std::optional<std::string> overlay;  // --overlay time,speed,g,events,map
  std::optional<std::string> size;     // --size 720p|source
  std::optional<std::string> preset;   // --preset NAME
};

// An empty text when the choice's values are ones --render takes; else
// what is wrong with them.
std::string RenderChoiceProblem(const RenderChoice& choice);

// Renders the stretch at `output`; the exit status.
int RenderStretch(const ClipStretch& stretch, const std::filesystem::path& output,
                  const RenderChoice& choice);
