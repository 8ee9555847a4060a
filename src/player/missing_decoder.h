#pragma once

struct PlayerEngineState;

namespace engine {

// The movie just failed to open because GStreamer lacks a decoder (or
// another element) for one of its streams: keeps what is missing in
// `missingDecoder` and posts WM_MEDIA_MISSING_DECODER to the main window
// (the video surface's parent), which tells the user.
void ReportMissingDecoder(PlayerEngineState* s);

}  // namespace engine
