// kestrel-cli built without the user interface's libraries: no --render.
#include "cli/clip_render_option.h"
#include "cli/command_output.h"

namespace {

constexpr const char* kNotAvailable = "--render is not available";
constexpr const char* kWhy = "this kestrel-cli was built without Qt and GStreamer";

}  // namespace

std::string RenderChoiceProblem(const RenderChoice& choice) {
  return choice.render || choice.overlay || choice.size || choice.preset
             ? std::string(kNotAvailable) + " (" + kWhy + ")"
             : "";
}

int RenderStretch(const ClipStretch&, const std::filesystem::path&, const RenderChoice&) {
  return Failure(kNotAvailable, kWhy);
}
