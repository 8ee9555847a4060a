#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "container/file_view.h"
#include "container/sensor_records.h"

// The decoded sensor track of one recording: the records of its `udat` atom
// in three vectors (one entry per record, in file order), the recorder's
// header, and after MapFrames the per-frame index.
//
// Every track takes the one process-wide lock "hMutexFind" for each scan of
// a file, so scans of different tracks never overlap. The records point at
// each other (after MapFrames) and frameIndex points into accels, so a track
// is not copied; Move hands the records over.
class SensorTrack {
 public:
  // MapFrames refuses more frames than this (a day and a half at 120 frames
  // a second), so that a bogus frame count cannot exhaust the memory.
  static constexpr std::int64_t kMaxFrames = std::int64_t{1} << 24;

  SensorTrack() { Create(); }
  SensorTrack(const SensorTrack&) = delete;
  SensorTrack& operator=(const SensorTrack&) = delete;
  ~SensorTrack() { Destroy(); }

  // Empties the track and takes the lock "hMutexFind".
  bool Create();
  // Waits until no scan holds "hMutexFind", then empties the track.
  void Destroy();

  // Decodes the file's sensor track and the size of its `mdat`. A file
  // without a sensor atom loads with no records (count 0). On failure (the
  // file cannot be read, the scan is cancelled) the track is left empty.
  bool Load(const std::filesystem::path& path);

  // Reads only the header block of the file's sensor track. A file without
  // one gives a header that is not decoded.
  bool LoadHeader(const std::filesystem::path& path, TrackHeader* header);

  // Appends the position part of every record of each file, in list order
  // (sequence restarting at 0 per file, stamps not frame-mapped). Stops with
  // false at the first file that cannot be read, keeping what was appended.
  static bool LoadRoute(std::span<const std::filesystem::path> paths,
                        std::vector<PositionRecord>* route);

  // Hands the records, header, `mdat` size and count of `from` (a track read
  // ahead) to `to` without decoding again; `from` is left empty.
  static void Move(SensorTrack& from, SensorTrack& to);

  // Builds frameIndex for `frameCount` frames of frameTime milliseconds and
  // links the records to each other. Needs frameTime > 0 and
  // 0 < frameCount <= kMaxFrames.
  bool MapFrames(std::int64_t frameCount);

  // The record count of the file's sensor atom (0 without one), counting
  // only whole records the atom holds. Nothing when the file cannot be read.
  std::optional<std::int64_t> RecordCount(const std::filesystem::path& path);

  // Follows moov/trak/mdia/minf/stbl/stts (the first atom of each name on
  // each level) and returns 90000 / the first sample delta, an integer
  // quotient (30 for 3000, 29 for 3003). Nothing when the path is not
  // there, the delta is 0, or the file cannot be read.
  std::optional<float> FrameRateScan(const std::filesystem::path& path);

  std::filesystem::path path;
  std::uint64_t fileSize = 0;
  std::int32_t count = 0;  // records after a load
  double peakG = 0;        // largest |x|, |y| or |z| (after MapFrames)
  std::vector<PositionRecord> positions;
  std::vector<AccelRecord> accels;
  std::vector<VehicleRecord> vehicles;
  TrackHeader header;
  std::vector<AccelRecord*> frameIndex;  // one entry per video frame
  // The player's frame unit in milliseconds; MapFrames divides the records'
  // millisecond stamps by it. Set by the player, kept across loads.
  float frameTime = 0;
  std::uint64_t mediaSize = 0;  // the `mdat` atom's size field
  // When set, a running scan stops at its next atom and fails; the scan
  // clears it.
  std::atomic<bool> cancel{false};
  bool loaded = false;

 private:
  enum class Decode { kAll, kPositions };

  // One name the top-level scan looks for, how much of the atom (from its
  // start, header included) it reads, and what it does with those bytes. The
  // callback also gets how many bytes of the whole atom the file holds.
  struct AtomWanted {
    std::string_view name;
    std::uint64_t window;
    std::function<void(std::span<const std::uint8_t> atom, std::uint64_t atomInFile)> found;
  };

  // Reads the top-level atom headers from offset 0 under "hMutexFind". The
  // scan ends after `wanted` was found, or at the end of the file, or at a
  // header whose size is below 8. `first`, when given, is taken only before
  // `wanted` is found, once. Fails when a read fails or cancel is set.
  bool ScanTopLevel(FileView& file, const AtomWanted& wanted, const AtomWanted* first);
  // True, and clears the flag, when cancel is set.
  bool Cancelled();
  bool LoadRecords(const std::filesystem::path& file, Decode decode);
  void DecodeRecords(std::span<const std::uint8_t> atom, Decode decode);
  void Clear();

  std::recursive_mutex* mutex_ = nullptr;
};
