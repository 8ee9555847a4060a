#pragma once

// Window messages of the player engine (posted AppMessageEvents).
inline constexpr int WM_GRAPH_NOTIFY = 0x8004;  // the filter graph's notification (no sender here)
inline constexpr int WM_SLOW_FRAME = 0x8005;    // one frame per second: show frame lParam
inline constexpr int WM_SLOW_END = 0x8006;      // one frame per second reached the last frame
inline constexpr int WM_MEDIA_PAUSED = 0x83E9;  // the player has paused
inline constexpr int WM_MEDIA_ENDED = 0x83EA;   // end of the movie
inline constexpr int WM_MEDIA_READY = 0x83EB;   // the movie is ready to play
inline constexpr int WM_MEDIA_FAILED = 0x83EC;  // the movie did not become ready
// Posted to the main window: the movie did not open for want of a decoder;
// the engine state's missingDecoder names what GStreamer lacks.
inline constexpr int WM_MEDIA_MISSING_DECODER = 0x83ED;
// Playing backwards stopped by itself: wParam 0 at the movie's first
// picture, 1 when a picture could not be decoded.
inline constexpr int WM_MEDIA_REVERSE_STOPPED = 0x83EE;
