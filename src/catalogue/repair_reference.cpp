#include "catalogue/repair_reference.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "catalogue/movie_names.h"
#include "catalogue/recording_check.h"
#include "catalogue/sample_tables.h"
#include "container/posix_io.h"

namespace {

constexpr std::size_t kSampleEntryFormat = 12;  // version and flags, count, entry size
constexpr std::size_t kSoundChannels = 32;      // in a sound sample entry, version 0 or 1
// Pictures looked at to learn how many slices the recorder cuts a picture in.
constexpr std::size_t kSlicePictures = 300;

std::string Format(const AtomBytes& stsd) {
  if (stsd.size() < kSampleEntryFormat + 4) return "????";
  return std::string(stsd.begin() + kSampleEntryFormat, stsd.begin() + kSampleEntryFormat + 4);
}

// The content of the atom named `name` inside a sample description.
std::optional<AtomBytes> InnerAtom(const AtomBytes& stsd, std::string_view name) {
  const auto it = std::search(stsd.begin(), stsd.end(), name.begin(), name.end());
  const auto at = static_cast<std::size_t>(it - stsd.begin());
  if (it == stsd.end() || at < 4) return std::nullopt;
  const std::uint32_t size = ReadWord(stsd, at - 4);
  if (size < 8 || at - 4 + size > stsd.size()) return std::nullopt;
  return AtomBytes(stsd.begin() + static_cast<std::ptrdiff_t>(at + 4),
                   stsd.begin() + static_cast<std::ptrdiff_t>(at - 4 + size));
}

// The AudioSpecificConfig of an `esds` content: the decoder-specific
// information inside the decoder configuration inside the ES descriptor.
std::optional<AtomBytes> AacConfig(const AtomBytes& esds) {
  std::size_t at = 4;  // version and flags
  std::size_t length = 0;
  if (at >= esds.size() || esds[at++] != 0x03 || !ReadDescriptorLength(esds, at, length) ||
      at + 3 > esds.size())
    return std::nullopt;
  const std::uint8_t flags = esds[at + 2];
  at += 3;
  if (flags & 0x80) at += 2;
  if ((flags & 0x40) && at < esds.size()) at += 1 + esds[at];
  if (flags & 0x20) at += 2;
  if (at >= esds.size() || esds[at++] != 0x04 || !ReadDescriptorLength(esds, at, length))
    return std::nullopt;
  at += 13;
  if (at >= esds.size() || esds[at++] != 0x05 || !ReadDescriptorLength(esds, at, length) ||
      length == 0 || at + length > esds.size())
    return std::nullopt;
  return AtomBytes(esds.begin() + static_cast<std::ptrdiff_t>(at),
                   esds.begin() + static_cast<std::ptrdiff_t>(at + length));
}

struct ChunkAt {
  std::uint64_t offset = 0;
  std::size_t track = 0;
  std::uint32_t samples = 0;
};

// The chunks of a track with their sample counts, from its `stsc` and `stco`
// (already checked to be whole by FindJoinAtoms).
void AddChunks(const TrackAtoms& track, std::size_t index, std::vector<ChunkAt>& chunks) {
  const AtomBytes& stsc = track.stsc->data;
  const AtomBytes& stco = track.stco->data;
  const std::uint32_t entries = ReadWord(stsc, 4);
  const std::uint32_t count = ReadWord(stco, 4);
  std::uint32_t entry = 0;  // the last entry whose first chunk is at or before the chunk
  std::uint32_t samples = 0;
  for (std::uint32_t chunk = 0; chunk < count; ++chunk) {
    for (; entry < entries && ReadWord(stsc, 8 + entry * 12) <= chunk + 1; ++entry) {
      samples = ReadWord(stsc, 8 + entry * 12 + 4);
    }
    chunks.push_back({ReadWord(stco, 8 + chunk * 4), index, samples});
  }
}

// The number of slices in each of the first pictures of the track, when it
// is the same in all; else 0.
int SlicesPerPicture(const std::filesystem::path& path, const TrackAtoms& track,
                     const std::vector<ChunkAt>& chunks, std::size_t index, int lengthSize) {
  const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  const AtomBytes& stsz = track.stsz->data;
  std::uint32_t sample = 0;
  int slices = -1;
  for (const ChunkAt& chunk : chunks) {
    if (chunk.track != index) continue;
    std::uint64_t at = chunk.offset;
    for (std::uint32_t i = 0; i < chunk.samples && sample < kSlicePictures && slices != 0; ++i) {
      if (ReadWord(stsz, 4) == 0 && 16 + 4 * std::size_t{sample} > stsz.size()) break;
      const std::uint32_t size =
          ReadWord(stsz, 4) != 0 ? ReadWord(stsz, 4) : ReadWord(stsz, 12 + 4 * sample);
      int found = 0;
      for (std::uint64_t nal = at; nal + static_cast<std::uint64_t>(lengthSize) < at + size;) {
        std::uint8_t head[5] = {};
        if (!ReadExactAt(fd, std::span(head, static_cast<std::size_t>(lengthSize) + 1), nal)) break;
        std::uint64_t length = 0;
        for (int b = 0; b < lengthSize; ++b) length = length << 8 | head[b];
        const int type = head[lengthSize] & 0x1F;
        found += type == 1 || type == 5 ? 1 : 0;
        nal += static_cast<std::uint64_t>(lengthSize) + length;
      }
      slices = slices < 0 || slices == found ? found : 0;
      at += size;
      ++sample;
    }
  }
  close(fd);
  return std::max(slices, 0);
}

}  // namespace

bool OpenRepairReference(const std::filesystem::path& path, RepairReference& reference,
                         std::string& why) {
  if (!IsRecording(path)) {
    why = path.string() +
          " is not a healthy recording (it cannot be read, or lacks the recorder's "
          "closing marker)";
    return false;
  }
  reference.movie = MovieFile::Open(path, /*examineRoot=*/true, &why);
  if (!reference.movie || !FindJoinAtoms(*reference.movie, reference.atoms, why)) {
    why = path.string() + ": " + why;
    return false;
  }
  WalkPlan& plan = reference.plan;
  plan = WalkPlan{};
  std::vector<ChunkAt> chunks;
  std::size_t pictureTrack = 0;
  int pictures = 0;
  int sounds = 0;
  for (std::size_t i = 0; i < reference.atoms.tracks.size(); ++i) {
    const TrackAtoms& track = reference.atoms.tracks[i];
    if (track.stts->data.size() < 16 || track.stsc->data.size() < 20 ||
        (track.ctts != nullptr && track.ctts->data.size() < 16)) {
      why = path.string() + ": a track holds no samples";
      return false;
    }
    const std::string format = Format(track.stsd->data);
    if (format == "avc1") {
      const auto avcC = InnerAtom(track.stsd->data, "avcC");
      if (!avcC || avcC->size() < 7) {
        why = path.string() + ": its pictures carry no H.264 configuration";
        return false;
      }
      plan.avcC = *avcC;
      plan.nalLengthSize = ((*avcC)[4] & 3) + 1;
      plan.tracks.push_back(TrackKind::kPicture);
      pictureTrack = i;
      ++pictures;
    } else if (format == "mp4a") {
      const auto esds = InnerAtom(track.stsd->data, "esds");
      const auto config = esds ? AacConfig(*esds) : std::nullopt;
      if (!config || track.stsd->data.size() < kSoundChannels + 2) {
        why = path.string() + ": its sound carries no AAC configuration";
        return false;
      }
      plan.aacConfig = *config;
      plan.channels = track.stsd->data[kSoundChannels] << 8 | track.stsd->data[kSoundChannels + 1];
      plan.tracks.push_back(TrackKind::kSound);
      ++sounds;
    } else {
      why = path.string() + ": a track holds '" + format +
            "' samples; the repair reads H.264 pictures ('avc1') and AAC sound ('mp4a')";
      return false;
    }
    AddChunks(track, i, chunks);
  }
  if (pictures != 1 || sounds > 1) {
    why = path.string() + ": it holds " + std::to_string(pictures) + " picture and " +
          std::to_string(sounds) + " sound tracks, not one of each";
    return false;
  }
  std::sort(chunks.begin(), chunks.end(),
            [](const ChunkAt& a, const ChunkAt& b) { return a.offset < b.offset; });
  if (chunks.empty() || chunks.front().offset < reference.atoms.mdat->offset) {
    why = path.string() + ": its samples do not lie in its media atom";
    return false;
  }
  reference.mediaLead = chunks.front().offset - reference.atoms.mdat->offset;
  for (const ChunkAt& chunk : chunks) plan.chunks.push_back({chunk.track, chunk.samples});
  plan.slicesPerPicture = SlicesPerPicture(path, reference.atoms.tracks[pictureTrack], chunks,
                                           pictureTrack, plan.nalLengthSize);
  return true;
}

std::vector<std::filesystem::path> ReferenceCandidates(const std::filesystem::path& damaged) {
  std::vector<std::filesystem::path> names;
  const std::filesystem::path folder =
      damaged.parent_path().empty() ? std::filesystem::path(".") : damaged.parent_path();
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (IsMovieName(entry.path().filename().string())) names.push_back(entry.path());
  }
  std::sort(names.begin(), names.end());
  const auto self = std::find_if(names.begin(), names.end(), [&](const auto& name) {
    return name.filename() == damaged.filename();
  });
  const auto at = static_cast<std::ptrdiff_t>(self - names.begin());
  std::vector<std::pair<std::ptrdiff_t, std::filesystem::path>> ranked;
  for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(names.size()); ++i) {
    if (i == at) continue;
    // Earlier files first at the same distance: 2 x distance, +1 after.
    ranked.emplace_back(2 * std::abs(i - at) + (i > at ? 1 : 0),
                        names[static_cast<std::size_t>(i)]);
  }
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::filesystem::path> candidates;
  for (auto& [rank, name] : ranked) {
    if (IsRecording(name)) candidates.push_back(std::move(name));
  }
  return candidates;
}
