#include "container/sensor_track.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "container/atom_name_list.h"
#include "container/big_endian.h"
#include "container/named_mutex.h"
#include "container/sensor_record_decoder.h"

namespace {

constexpr std::uint64_t kAtomHeaderSize = 8;
constexpr std::uint64_t kHeaderScanWindow = 1024 * 1024;
constexpr std::uint64_t kRecordScanWindow = 8 * 1024 * 1024;
constexpr std::string_view kTrackMarker = "CSMDAT";

// The content of a `udat` atom window when it holds a sensor track: it
// starts with "CSMDAT" and reaches the record count. Empty otherwise.
std::span<const std::uint8_t> TrackPayload(std::span<const std::uint8_t> atom) {
  if (atom.size() < kAtomHeaderSize + kSensorRecordsOffset) return {};
  const std::span<const std::uint8_t> content = atom.subspan(kAtomHeaderSize);
  if (!std::equal(kTrackMarker.begin(), kTrackMarker.end(), content.begin())) return {};
  return content;
}

// The record count of a payload, cut to the whole records in `available`
// content bytes.
std::uint64_t PayloadRecordCount(std::span<const std::uint8_t> payload, std::uint64_t available) {
  return std::min<std::uint64_t>(ReadBigEndian16(payload.data() + kSensorCountOffset),
                                 SensorRecordsThatFit(available));
}

std::int32_t FrameOf(std::int32_t sequence, float frameTime) {
  const float frame = std::trunc(static_cast<float>(sequence * kRecordIntervalMs) / frameTime);
  if (frame >= static_cast<float>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(frame);
}

}  // namespace

bool SensorTrack::Create() {
  mutex_ = &NamedMutex("hMutexFind");
  Clear();
  frameTime = 0;
  cancel = false;
  return true;
}

void SensorTrack::Destroy() {
  std::lock_guard<std::recursive_mutex> lock(*mutex_);
  Clear();
  frameTime = 0;
  cancel = false;
}

void SensorTrack::Clear() {
  path.clear();
  fileSize = 0;
  count = 0;
  peakG = 0;
  positions.clear();
  accels.clear();
  vehicles.clear();
  header = TrackHeader{};
  frameIndex.clear();
  mediaSize = 0;
  loaded = false;
}

bool SensorTrack::Load(const std::filesystem::path& file) {
  return LoadRecords(file, Decode::kAll);
}

bool SensorTrack::LoadRecords(const std::filesystem::path& file, Decode decode) {
  Clear();
  FileView view;
  if (!view.Open(file)) return false;
  path = file;
  fileSize = view.Size();
  const AtomWanted udat{
      "udat", kRecordScanWindow,
      [&](std::span<const std::uint8_t> atom, std::uint64_t) { DecodeRecords(atom, decode); }};
  const AtomWanted mdat{"mdat", kAtomHeaderSize,
                        [&](std::span<const std::uint8_t> atom, std::uint64_t) {
                          mediaSize = ReadBigEndian32(atom.data());
                        }};
  if (!ScanTopLevel(view, udat, &mdat)) {
    Clear();
    return false;
  }
  loaded = true;
  return true;
}

void SensorTrack::DecodeRecords(std::span<const std::uint8_t> atom, Decode decode) {
  const std::span<const std::uint8_t> payload = TrackPayload(atom);
  if (payload.empty()) return;
  if (decode == Decode::kAll) header = DecodeTrackHeader(payload.subspan(kSensorHeaderOffset));
  const std::uint64_t records = PayloadRecordCount(payload, payload.size());
  positions.reserve(records);
  if (decode == Decode::kAll) {
    accels.reserve(records);
    vehicles.reserve(records);
  }
  RecordTimeDecoder times;
  for (std::uint64_t i = 0; i < records; ++i) {
    const SensorRecordBytes record(payload.data() + kSensorRecordsOffset + i * kSensorRecordSize,
                                   kSensorRecordSize);
    const auto sequence = static_cast<std::int32_t>(i);
    positions.push_back(DecodePositionRecord(record, sequence, times));
    if (decode == Decode::kAll) {
      accels.push_back(DecodeAccelRecord(record, sequence));
      vehicles.push_back(DecodeVehicleRecord(record, sequence));
    }
  }
  count = static_cast<std::int32_t>(records);
}

bool SensorTrack::LoadHeader(const std::filesystem::path& file, TrackHeader* out) {
  FileView view;
  if (!view.Open(file)) return false;
  TrackHeader decoded;
  const AtomWanted udat{"udat", kHeaderScanWindow,
                        [&](std::span<const std::uint8_t> atom, std::uint64_t) {
                          const std::span<const std::uint8_t> payload = TrackPayload(atom);
                          if (!payload.empty()) {
                            decoded = DecodeTrackHeader(payload.subspan(kSensorHeaderOffset));
                          }
                        }};
  if (!ScanTopLevel(view, udat, nullptr)) return false;
  *out = decoded;
  return true;
}

bool SensorTrack::LoadRoute(std::span<const std::filesystem::path> paths,
                            std::vector<PositionRecord>* route) {
  for (const std::filesystem::path& file : paths) {
    SensorTrack reader;
    if (!reader.LoadRecords(file, Decode::kPositions)) return false;
    route->insert(route->end(), reader.positions.begin(), reader.positions.end());
  }
  return true;
}

void SensorTrack::Move(SensorTrack& from, SensorTrack& to) {
  if (&from == &to) return;
  to.Clear();
  to.path = std::move(from.path);
  to.fileSize = from.fileSize;
  to.count = from.count;
  to.positions = std::move(from.positions);
  to.accels = std::move(from.accels);
  to.vehicles = std::move(from.vehicles);
  to.header = from.header;
  to.mediaSize = from.mediaSize;
  to.loaded = from.loaded;
  from.Clear();
}

bool SensorTrack::MapFrames(std::int64_t frameCount) {
  if (!(frameTime > 0) || !std::isfinite(frameTime) || frameCount <= 0 || frameCount > kMaxFrames) {
    return false;
  }
  frameIndex.assign(static_cast<std::size_t>(frameCount), nullptr);
  // The stamps are recomputed from the sequence, so mapping twice (after a
  // Move, or with another frame unit) gives the same frames.
  for (AccelRecord& accel : accels) accel.frame = FrameOf(accel.sequence, frameTime);
  for (PositionRecord& position : positions) {
    position.frame = FrameOf(position.sequence, frameTime);
  }

  // Each frame shows the record before the cursor; the cursor moves at most
  // one record a frame and stops at the last record.
  const std::size_t n = accels.size();
  if (n > 0) {
    std::size_t cursor = 0;
    for (std::size_t i = 0; i < frameIndex.size(); ++i) {
      if (cursor + 1 < n && static_cast<std::int64_t>(i) >= accels[cursor].frame) ++cursor;
      frameIndex[i] = &accels[cursor > 0 ? cursor - 1 : 0];
    }
  }

  // Each position takes the first acceleration record at or after its frame;
  // each acceleration record is linked back to the position five records
  // behind the position cursor.
  const std::size_t linked = std::min({n, positions.size(), vehicles.size()});
  std::size_t p = 0;
  for (std::size_t a = 0; a < linked; ++a) {
    if (accels[a].frame >= positions[p].frame) {
      positions[p].accel = &accels[a];
      positions[p].vehicle = &vehicles[a];
      if (p + 1 < linked) ++p;
    }
    const std::size_t back = p >= 5 ? p - 5 : 0;
    accels[a].position = &positions[back];
    accels[a].vehicle = &vehicles[back];
  }

  peakG = 0;
  for (const AccelRecord& accel : accels) {
    peakG = std::max({peakG, std::fabs(accel.x), std::fabs(accel.y), std::fabs(accel.z)});
  }
  return true;
}

std::optional<std::int64_t> SensorTrack::RecordCount(const std::filesystem::path& file) {
  FileView view;
  if (!view.Open(file)) return std::nullopt;
  std::int64_t records = 0;
  const AtomWanted udat{"udat", kAtomHeaderSize + kSensorRecordsOffset,
                        [&](std::span<const std::uint8_t> atom, std::uint64_t atomInFile) {
                          const std::span<const std::uint8_t> payload = TrackPayload(atom);
                          if (payload.empty()) return;
                          records = static_cast<std::int64_t>(
                              PayloadRecordCount(payload, atomInFile - kAtomHeaderSize));
                        }};
  if (!ScanTopLevel(view, udat, nullptr)) return std::nullopt;
  return records;
}

bool SensorTrack::Cancelled() {
  // A plain look first: scans ask once an atom, and the exchange is a
  // locked instruction.
  return cancel.load(std::memory_order_relaxed) && cancel.exchange(false);
}

bool SensorTrack::ScanTopLevel(FileView& file, const AtomWanted& wanted, const AtomWanted* first) {
  std::lock_guard<std::recursive_mutex> lock(*mutex_);
  bool firstTaken = false;
  std::uint64_t position = 0;
  while (position < file.Size()) {
    if (Cancelled()) return false;
    const std::uint64_t rest = file.Size() - position;
    if (rest < kAtomHeaderSize) return true;
    std::span<const std::uint8_t> head;
    if (!file.Map(position, kAtomHeaderSize, &head)) return false;
    const std::uint32_t atomSize = ReadBigEndian32(head.data());
    if (atomSize < kAtomHeaderSize) return true;
    const std::string_view name(reinterpret_cast<const char*>(head.data() + 4), 4);
    const std::uint64_t atomInFile = std::min<std::uint64_t>(atomSize, rest);
    const AtomWanted* match = nullptr;
    if (name == wanted.name) {
      match = &wanted;
    } else if (first != nullptr && !firstTaken && name == first->name) {
      match = first;
      firstTaken = true;
    }
    if (match != nullptr) {
      std::span<const std::uint8_t> atom;
      if (!file.Map(position, std::min(match->window, atomInFile), &atom)) return false;
      match->found(atom, atomInFile);
      if (match == &wanted) return true;
    }
    position += atomSize;
  }
  return true;
}

std::optional<float> SensorTrack::FrameRateScan(const std::filesystem::path& file) {
  FileView view;
  if (!view.Open(file)) return std::nullopt;
  std::lock_guard<std::recursive_mutex> lock(*mutex_);
  std::uint64_t begin = 0;
  std::uint64_t end = view.Size();
  for (std::size_t level = 0; level < kAtomPathNameCount; ++level) {
    const std::string_view wanted = AtomNameList[level];
    bool found = false;
    std::uint64_t position = begin;
    while (!found && end - position >= kAtomHeaderSize) {
      if (Cancelled()) return std::nullopt;
      std::span<const std::uint8_t> head;
      if (!view.Map(position, kAtomHeaderSize, &head)) return std::nullopt;
      const std::uint32_t atomSize = ReadBigEndian32(head.data());
      if (atomSize < kAtomHeaderSize || atomSize > end - position) return std::nullopt;
      if (std::string_view(reinterpret_cast<const char*>(head.data() + 4), 4) == wanted) {
        begin = position + kAtomHeaderSize;
        end = position + atomSize;
        found = true;
      } else {
        position += atomSize;
      }
    }
    if (!found) return std::nullopt;
  }
  // The `stts` content: version and flags, entry count, then (count, delta).
  constexpr std::uint64_t kFirstDelta = 12;
  if (end - begin < kFirstDelta + 4) return std::nullopt;
  std::span<const std::uint8_t> delta;
  if (!view.Map(begin + kFirstDelta, 4, &delta)) return std::nullopt;
  const std::uint32_t sampleDelta = ReadBigEndian32(delta.data());
  if (sampleDelta == 0) return std::nullopt;
  return static_cast<float>(90000u / sampleDelta);
}
