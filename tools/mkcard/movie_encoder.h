#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "mkcard/card_plan.h"

namespace mkcard {

// Returns the ffmpeg command line that encodes the picture and sound of
// `plan` into a QuickTime file at `output`: H.264 or HEVC with a keyframe every
// plan.gop pictures and a 90 kHz time scale (first track) and the sound of
// plan.sound (second track, none for SoundKind::kNone). The picture is
// the test pattern with the frame number written on it and the frame barcode across the top; the
// sound a sine tone. The same plan gives the same bytes.
std::vector<std::string> EncoderCommand(const RecordingPlan& plan,
                                        const std::filesystem::path& output);

// Runs the command. Returns an empty string on success, else the failure.
std::string EncodeMovie(const RecordingPlan& plan, const std::filesystem::path& output);

}  // namespace mkcard
