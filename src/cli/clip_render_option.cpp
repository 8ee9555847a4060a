#include "cli/clip_render_option.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>

#include "cli/command_output.h"
#include "cli/terminal_progress.h"
#include "render/clip_render.h"

namespace {

bool KnownPreset(const std::string& name) {
  return std::find(std::begin(kRenderPresets), std::end(kRenderPresets), name) !=
         std::end(kRenderPresets);
}

}  // namespace

std::string RenderChoiceProblem(const RenderChoice& choice) {
  if (!choice.render) {
    return choice.overlay || choice.size || choice.preset
               ? "--overlay, --size and --preset go with --render"
               : "";
  }
  if (choice.overlay && !OverlayBlocksFromNames(*choice.overlay)) {
    return "--overlay takes a list of time, speed, g, events and map";
  }
  if (choice.size && *choice.size != "720p" && *choice.size != "source") {
    return "--size is 720p or source";
  }
  if (choice.preset && !KnownPreset(*choice.preset)) {
    return "--preset is one of ultrafast, superfast, veryfast, faster, fast, medium";
  }
  return "";
}

int RenderStretch(const ClipStretch& stretch, const std::filesystem::path& output,
                  const RenderChoice& choice) {
  // The overlay's fonts need an application object; no window is shown.
  static char name[] = "kestrel-cli";
  static char platformOption[] = "-platform";
  static char offscreen[] = "offscreen";
  static char* argv[] = {name, platformOption, offscreen, nullptr};
  int argc = 3;
  QGuiApplication application(argc, argv);

  RenderOptions options;
  if (choice.overlay) options.blocks = *OverlayBlocksFromNames(*choice.overlay);
  if (choice.size == "720p") options.size = RenderSize::k720p;
  if (choice.preset) options.preset = *choice.preset;
  RenderResult result;
  {
    TerminalProgress progress("render");
    options.sink = &progress;
    result = RenderClip(stretch, output, options);
  }
  if (result.error == ClipError::kCancelled) return Failure("the render was cancelled", result.why);
  if (result.error != ClipError::kNone)
    return Failure("the render could not be written", result.why);
  if (!result.note.empty()) std::fprintf(stderr, "kestrel-cli: %s\n", result.note.c_str());
  return 0;
}
