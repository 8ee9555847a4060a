#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "catalogue/recording_clip.h"
#include "catalogue/speed_unit.h"
#include "map/tile_source.h"
#include "render/overlay_painter.h"

// A stretch rendered as an MP4 that any phone or web page plays: H.264
// through x264enc with the drive's data drawn over every picture, the
// sound copied when it is AAC and encoded as AAC when it is not, the index
// at the front.

enum class RenderSize { kSource, k720p };

// The encoder's speed presets a render may use, fastest first.
inline constexpr std::string_view kRenderPresets[] = {"ultrafast", "superfast", "veryfast",
                                                      "faster",    "fast",      "medium"};
// The slowest preset (the smallest files) that the benchmark found faster
// than real time on two busy cores and as fast as the bare transcode
// (bench/render).
inline constexpr std::string_view kDefaultRenderPreset = "superfast";

struct RenderOptions {
  // Posts ClipOptions::kProgress (wParam pictures rendered, lParam pictures
  // in all) as the pictures are encoded, and ClipOptions::kFinished at the
  // end.
  MessageSink* sink = nullptr;
  // Cleared by the caller to cancel; looked at ten times a second.
  const std::atomic<bool>* running = nullptr;
  OverlayBlocks blocks = kAllOverlayBlocks;
  OverlayScale scale = OverlayScale::kMedium;
  OverlayPlace place = OverlayPlace::kBottom;
  SpeedUnit speedUnit = SpeedUnit::kKmh;
  // Drawn under the route map when it is a local MBTiles file or tile
  // folder; a tile server is never asked.
  TileSource tiles;
  RenderSize size = RenderSize::kSource;
  std::string preset = std::string(kDefaultRenderPreset);
  std::int64_t timeOffsetSeconds = 0;  // added to the recorder's clock
};

struct RenderResult {
  ClipError error = ClipError::kNone;
  std::string why;   // one line for a log or a terminal; empty on success
  std::string note;  // something left out, said once ("no position…"); may be empty
};

// Renders the stretch at `output`. The output's first picture is the
// stretch's start picture and it holds one picture for each of the
// stretch's. The pictures and sound are first kept as a lossless clip
// (WriteClip) in the output's folder, which is read back unnamed; the MP4
// appears under its name only when complete; on a failure, a cancel or a
// kill nothing is left and the recordings are only read.
RenderResult RenderClip(const ClipStretch& stretch, const std::filesystem::path& output,
                        const RenderOptions& options = {});
