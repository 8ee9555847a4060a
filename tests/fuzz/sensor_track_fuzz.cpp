// Loads fuzzed bytes as a sensor track and runs every scan and the frame
// mapping over it.

#include <cmath>
#include <cstdint>

#include "container/sensor_track.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FixTimeZone();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path path = FuzzFilePath("track.MOV");
  WriteFuzzFile(path, data, size);
  SensorTrack track;
  const std::optional<std::int64_t> records = track.RecordCount(path);
  const std::optional<float> unit = track.FrameRateScan(path);
  TrackHeader header;
  track.LoadHeader(path, &header);
  if (!track.Load(path)) return 0;
  if (!records || *records != track.count) __builtin_trap();
  if (track.positions.size() != static_cast<std::size_t>(track.count)) __builtin_trap();

  // Frame units from the file (0 and huge ones are refused by MapFrames)
  // and a fixed one; frame counts up to a few thousand.
  for (float frameTime : {unit.value_or(0.0f), 30.0f, 0.5f}) {
    track.frameTime = frameTime;
    const std::int64_t frames = 1 + static_cast<std::int64_t>(size % 4000);
    if (!track.MapFrames(frames)) continue;
    for (const AccelRecord* accel : track.frameIndex) {
      if (accel != nullptr && (accel->sequence < 0 || accel->sequence >= track.count)) {
        __builtin_trap();
      }
    }
    for (const PositionRecord& position : track.positions) {
      if (position.accel != nullptr && position.accel->sequence < 0) __builtin_trap();
    }
    if (!std::isfinite(track.peakG)) __builtin_trap();
  }

  std::vector<PositionRecord> route;
  const std::filesystem::path paths[] = {path, path};
  SensorTrack::LoadRoute(paths, &route);
  if (route.size() != 2 * static_cast<std::size_t>(track.count)) __builtin_trap();

  SensorTrack moved;
  SensorTrack::Move(track, moved);
  moved.frameTime = 30.0f;
  moved.MapFrames(16);
  return 0;
}
