#include "catalogue/recording_repair.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "catalogue/cut_short_file.h"
#include "catalogue/edit_lists.h"
#include "catalogue/expanded_track.h"
#include "catalogue/join_writer.h"
#include "catalogue/mdat_walk.h"
#include "catalogue/media_prefill.h"
#include "catalogue/output_file.h"
#include "catalogue/repair_reference.h"
#include "catalogue/sample_tables.h"
#include "container/posix_io.h"

namespace {

constexpr std::size_t kMvhdTimeScale = 12;
constexpr std::size_t kMvhdDuration = 16;
constexpr std::size_t kTkhdDuration = 20;
constexpr std::size_t kMdhdTimeScale = 12;
constexpr std::size_t kMdhdDuration = 16;

RepairResult Fail(RepairResult result, RepairError error, std::string why) {
  result.error = error;
  result.why = std::move(why);
  return result;
}

// The damaged file, open for reading only.
class DamagedFile {
 public:
  explicit DamagedFile(const std::filesystem::path& path)
      : fd_(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  DamagedFile(const DamagedFile&) = delete;
  DamagedFile& operator=(const DamagedFile&) = delete;
  ~DamagedFile() {
    if (fd_ >= 0) close(fd_);
  }
  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Reads the media from `start` on.
  MediaReader ReaderFrom(std::uint64_t start) const {
    return [fd = fd_, start](std::uint64_t offset, std::span<std::uint8_t> out) -> long long {
      return ReadAt(fd, out, start + offset);
    };
  }

 private:
  int fd_;
};

AtomBytes Words(std::initializer_list<std::uint32_t> words) {
  AtomBytes bytes(words.size() * 4);
  std::size_t at = 0;
  for (const std::uint32_t word : words) {
    WriteWord(bytes, at, word);
    at += 4;
  }
  return bytes;
}

void Append(AtomBytes& bytes, std::initializer_list<std::uint32_t> words) {
  const AtomBytes more = Words(words);
  bytes.insert(bytes.end(), more.begin(), more.end());
}

// A counted table: version and flags, `count`, then the entries.
AtomBytes Counted(std::uint32_t count, const AtomBytes& entries) {
  AtomBytes table = Words({0, count});
  table.insert(table.end(), entries.begin(), entries.end());
  return table;
}

// The presentation position of each picture in decoding order: a group
// starts at its IDR picture, and its pictures show in steps of their order
// count from the IDR picture's: the smallest step between two order counts
// of a group, and at most 2, the step of pictures coded as frames (a group
// cut after a few pictures may hold none that follow each other). A picture
// whose group lost pictures shown before it keeps its place, so the gap
// shows.
std::vector<std::uint32_t> PresentationOrder(const std::vector<WalkedSample>& pictures) {
  int step = 2;
  std::vector<std::pair<std::size_t, std::size_t>> groups;
  for (std::size_t start = 0; start < pictures.size();) {
    std::size_t end = start + 1;
    while (end < pictures.size() && !pictures[end].key) ++end;
    std::vector<int> orders;
    for (std::size_t i = start; i < end; ++i) orders.push_back(pictures[i].order);
    std::sort(orders.begin(), orders.end());
    for (std::size_t i = 1; i < orders.size(); ++i) {
      const int difference = orders[i] - orders[i - 1];
      if (difference > 0 && difference < step) step = difference;
    }
    groups.emplace_back(start, end);
    start = end;
  }
  std::vector<std::uint32_t> shown(pictures.size());
  for (const auto& [start, end] : groups) {
    for (std::size_t i = start; i < end; ++i) {
      const int after = (pictures[i].order - pictures[start].order) / step;
      shown[i] = static_cast<std::uint32_t>(static_cast<int>(start) + std::max(after, 0));
    }
  }
  return shown;
}

// The most pictures, from the first in decoding order, that show without a
// gap: a picture cut off the end leaves out the pictures shown before it
// that it was decoded ahead of.
std::uint32_t PicturesWithoutGap(const std::vector<std::uint32_t>& shown) {
  std::uint32_t kept = 0;
  std::uint32_t latest = 0;
  for (std::uint32_t i = 0; i < shown.size(); ++i) {
    latest = std::max(latest, shown[i]);
    if (latest == i) kept = i + 1;
  }
  return kept;
}

// Rebuilds a track's sample tables, durations and edit list for its first
// `kept` walked samples. `mediaStart` is where the walked bytes begin in
// the output.
bool RebuildTrack(TrackAtoms& track, const std::vector<WalkedSample>& samples,
                  const std::vector<WalkedChunk>& chunks, std::size_t index, std::uint32_t kept,
                  std::uint64_t mediaStart, std::uint32_t movieScale, std::uint64_t& presented,
                  std::string& why) {
  const std::uint32_t delta = ReadWord(track.stts->data, 12);
  ExpandedTrack rebuilt;
  rebuilt.deltas.assign(kept, delta);
  for (std::uint32_t i = 0; i < kept; ++i) rebuilt.sizes.push_back(samples[i].size);
  std::uint32_t taken = 0;
  for (const WalkedChunk& chunk : chunks) {
    if (chunk.track != index || taken == kept) continue;
    const std::uint32_t count = std::min(chunk.samples, kept - taken);
    const std::uint64_t offset = mediaStart + chunk.offset;
    if (offset > UINT32_MAX) {
      why = "the repaired movie would pass 4 GiB";
      return false;
    }
    rebuilt.chunks.push_back(
        {static_cast<std::uint32_t>(offset), count, ReadWord(track.stsc->data, 16)});
    taken += count;
  }
  CompactTables tables = CompactTrack(rebuilt);
  track.stts->data = std::move(tables.stts);
  track.stsz->data = std::move(tables.stsz);
  track.stsc->data = std::move(tables.stsc);
  track.stco->data = std::move(tables.stco);

  std::uint32_t compositionShift = 0;
  if (track.ctts != nullptr) {
    // Each picture is shown its reordering later than it is decoded, and
    // all by the reference's first offset (the delay its edit skips).
    const std::vector<std::uint32_t> shown = PresentationOrder(samples);
    compositionShift = ReadWord(track.ctts->data, 12);
    for (std::uint32_t i = 0; i < kept; ++i) {
      if (shown[i] < i) {
        compositionShift = std::max<std::uint32_t>(compositionShift, (i - shown[i]) * delta);
      }
    }
    AtomBytes entries;
    std::uint32_t runs = 0;
    for (std::uint32_t i = 0; i < kept; ++i) {
      const std::uint32_t offset = compositionShift + shown[i] * delta - i * delta;
      if (runs > 0 && ReadWord(entries, (runs - 1) * 8 + 4) == offset) {
        WriteWord(entries, (runs - 1) * 8, ReadWord(entries, (runs - 1) * 8) + 1);
      } else {
        Append(entries, {1, offset});
        ++runs;
      }
    }
    track.ctts->data = Counted(runs, entries);
  }
  if (track.stss != nullptr) {
    AtomBytes entries;
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < kept; ++i) {
      if (samples[i].key) {
        Append(entries, {i + 1});
        ++count;
      }
    }
    track.stss->data = Counted(count, entries);
  }

  const std::uint64_t media = std::uint64_t{kept} * delta;
  const std::uint32_t mediaScale = ReadWord(track.mdhd->data, kMdhdTimeScale);
  if (track.mdhd->data.size() < kMdhdDuration + 4 || track.mdhd->data[0] != 0 ||
      media > UINT32_MAX || mediaScale == 0) {
    why = "the reference's media header cannot take the repaired duration";
    return false;
  }
  WriteWord(track.mdhd->data, kMdhdDuration, static_cast<std::uint32_t>(media));
  std::uint64_t shownMedia = media + compositionShift;
  if (track.elst != nullptr) {
    auto edits = ReadEdits(track.elst->data);
    const auto mediaEdit = edits ? MediaEdit(*edits) : std::nullopt;
    if (!mediaEdit || mediaEdit->mediaTime < 0) {
      why = "the reference's edit list has a form the repair does not rebuild";
      return false;
    }
    if (track.ctts != nullptr) {
      for (Edit& edit : *edits) {
        if (edit.mediaTime >= 0) edit.mediaTime = static_cast<std::int32_t>(compositionShift);
      }
    }
    const auto skipped =
        static_cast<std::uint64_t>(track.ctts != nullptr ? compositionShift : mediaEdit->mediaTime);
    shownMedia = shownMedia > skipped ? shownMedia - skipped : 0;
    std::uint64_t total = 0;
    for (Edit& edit : *edits) {
      if (edit.mediaTime >= 0)
        edit.duration = static_cast<std::uint32_t>(shownMedia * movieScale / mediaScale);
      total += edit.duration;
    }
    track.elst->data = WriteEdits(*edits);
    presented = total;
  } else {
    presented = shownMedia * movieScale / mediaScale;
  }
  if (track.tkhd->data.size() < kTkhdDuration + 4 || track.tkhd->data[0] != 0 ||
      presented > UINT32_MAX) {
    why = "the reference's track header cannot take the repaired duration";
    return false;
  }
  WriteWord(track.tkhd->data, kTkhdDuration, static_cast<std::uint32_t>(presented));
  return true;
}

AtomNode* Child(AtomNode& node, std::string_view name) {
  for (AtomNode& child : node.children) {
    if (child.Name() == name) return &child;
  }
  return nullptr;
}

// The tables beside the rebuilt ones that count samples: the sample groups
// (`sbgp`, the sound's pre-roll) are cut to `kept` samples; per-sample flags
// (`sdtp`) that the walk cannot know are left out.
void FitSampleGroups(AtomNode& stbl, std::uint32_t kept) {
  std::erase_if(stbl.children, [](const AtomNode& node) { return node.Name() == "sdtp"; });
  for (AtomNode& node : stbl.children) {
    if (node.Name() != "sbgp" || node.data.size() < 12) continue;
    const std::size_t first = node.data[0] == 1 ? 16 : 12;
    if (node.data.size() < first) continue;
    const std::uint32_t count = ReadWord(node.data, first - 4);
    AtomBytes entries;
    std::uint32_t written = 0;
    std::uint32_t left = kept;
    for (std::uint32_t e = 0; e < count && left > 0 && first + e * 8 + 8 <= node.data.size(); ++e) {
      const std::uint32_t samples = std::min(ReadWord(node.data, first + e * 8), left);
      Append(entries, {samples, ReadWord(node.data, first + e * 8 + 4)});
      left -= samples;
      ++written;
    }
    node.data.resize(first);
    WriteWord(node.data, first - 4, written);
    node.data.insert(node.data.end(), entries.begin(), entries.end());
  }
}

// The `stbl` of every `trak` in the movie, in order.
std::vector<AtomNode*> SampleTables(AtomNode& root) {
  std::vector<AtomNode*> tables;
  AtomNode* moov = Child(root, "moov");
  if (moov == nullptr) return tables;
  for (AtomNode& trak : moov->children) {
    if (trak.Name() != "trak") continue;
    AtomNode* mdia = Child(trak, "mdia");
    AtomNode* minf = mdia ? Child(*mdia, "minf") : nullptr;
    AtomNode* stbl = minf ? Child(*minf, "stbl") : nullptr;
    if (stbl != nullptr) tables.push_back(stbl);
  }
  return tables;
}

// The walked pictures up to the first of the last group that the decoder
// stops at.
std::uint32_t DecodingPictures(const MediaReader& read, const std::vector<WalkedSample>& pictures,
                               const WalkPlan& plan) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < pictures.size(); ++i) last = pictures[i].key ? i : last;
  const std::vector<WalkedSample> group(pictures.begin() + static_cast<std::ptrdiff_t>(last),
                                        pictures.end());
  return static_cast<std::uint32_t>(last + PicturesDecoding(read, group, plan));
}

enum class Fit { kFits, kMismatch, kNothingToRecover };

// Whether the damaged media's first picture decodes with the reference's
// picture configuration.
Fit CheckFit(const DamagedFile& file, const CutShortMedia& media, const RepairReference& reference,
             std::string& why) {
  if (media.length <= reference.mediaLead) return Fit::kNothingToRecover;
  const MediaReader read = file.ReaderFrom(media.offset + reference.mediaLead);
  const std::uint64_t length = media.length - reference.mediaLead;
  const auto first = FirstPicture(read, length, reference.plan);
  if (!first) return Fit::kNothingToRecover;
  std::vector<std::uint8_t> bytes(first->size);
  if (read(0, bytes) != static_cast<long long>(bytes.size()) ||
      !PictureDecodes(bytes, reference.plan)) {
    const auto size = reference.movie->GetFrameSize();
    why = reference.movie->path().string() + " holds H.264 pictures of " +
          std::to_string(size.width) + "x" + std::to_string(size.height) +
          " that the damaged recording's first picture does not decode with (another picture "
          "size or codec)";
    return Fit::kMismatch;
  }
  return Fit::kFits;
}

}  // namespace

std::filesystem::path RepairedPath(const std::filesystem::path& damaged) {
  std::filesystem::path repaired = damaged;
  repaired.replace_filename(damaged.stem().string() + "_repaired" + damaged.extension().string());
  return repaired;
}

RepairResult Repair(const std::filesystem::path& damaged, const std::filesystem::path& output,
                    const RepairOptions& options) {
  RepairResult result;
  std::string why;
  const std::optional<CutShortMedia> media = FindCutShortMedia(damaged, why);
  if (!media) return Fail(result, RepairError::kNotCutShort, why);
  std::error_code error;
  if (std::filesystem::equivalent(damaged, output, error)) {
    return Fail(result, RepairError::kFailed, "the output would replace the damaged recording");
  }
  const DamagedFile file(damaged);
  if (!file.IsOpen()) return Fail(result, RepairError::kFailed, "cannot open " + damaged.string());

  RepairReference reference;
  const bool given = !options.reference.empty();
  const std::vector<std::filesystem::path> candidates =
      given ? std::vector{options.reference} : ReferenceCandidates(damaged);
  bool found = false;
  bool nothing = false;
  for (const std::filesystem::path& candidate : candidates) {
    std::string refused;
    if (!OpenRepairReference(candidate, reference, refused)) {
      if (given) return Fail(result, RepairError::kReferenceMismatch, refused);
      continue;
    }
    const Fit fit = CheckFit(file, *media, reference, refused);
    if (fit == Fit::kFits) {
      found = true;
      break;
    }
    nothing = nothing || fit == Fit::kNothingToRecover;
    if (given && fit == Fit::kMismatch) {
      return Fail(result, RepairError::kReferenceMismatch, refused);
    }
  }
  if (!found && nothing) {
    return Fail(result, RepairError::kNothingToRecover,
                damaged.string() + " ends inside its first picture: nothing to recover");
  }
  if (!found) {
    const std::filesystem::path folder =
        damaged.parent_path().empty() ? std::filesystem::path(".") : damaged.parent_path();
    return Fail(result, RepairError::kNoReference,
                "no healthy recording in " + folder.string() +
                    " with the same picture size and codec to take as the reference");
  }
  result.reference = reference.movie->path();

  // The media go into the output at their place (the reference's, behind
  // the same file type atom) while the walk finds the samples in them; the
  // atoms around them are written once the walk has told their tables.
  OutputFile out;
  if (!out.Create(output, why)) return Fail(result, RepairError::kFailed, why);
  MediaPrefill prefill(file.fd(), media->offset, media->length, out.fd(),
                       reference.atoms.mdat->offset, options.running);
  MdatWalk walk;
  const MediaReader read = file.ReaderFrom(media->offset + reference.mediaLead);
  if (!WalkMedia(read, media->length - reference.mediaLead, reference.plan, walk, why,
                 options.running)) {
    const bool cancelled = options.running != nullptr && !options.running->load();
    return Fail(result, cancelled ? RepairError::kCancelled : RepairError::kFailed, why);
  }
  result.outranReference = walk.outranPlan;

  JoinAtoms& atoms = reference.atoms;
  const std::uint32_t movieScale = ReadWord(atoms.mvhd->data, kMvhdTimeScale);
  const std::vector<AtomNode*> tables = SampleTables(reference.movie->root);
  if (movieScale == 0 || tables.size() != atoms.tracks.size() || atoms.mvhd->data[0] != 0) {
    return Fail(result, RepairError::kFailed, "the reference's movie header cannot be rebuilt");
  }
  const std::uint64_t mediaStart = atoms.mdat->offset + reference.mediaLead;
  std::uint64_t mediaEnd = 0;
  std::uint64_t longest = 0;
  for (std::size_t i = 0; i < atoms.tracks.size(); ++i) {
    const std::vector<WalkedSample>& samples = walk.samples[i];
    const bool picture = reference.plan.tracks[i] == TrackKind::kPicture;
    auto walked = static_cast<std::uint32_t>(samples.size());
    // Bytes that are no sample after the cut may have been taken for the
    // rest of the picture cut short: the decoder finds where they begin.
    if (picture && !walk.endsInSample) walked = DecodingPictures(read, samples, reference.plan);
    const std::uint32_t kept =
        picture && atoms.tracks[i].ctts != nullptr
            ? PicturesWithoutGap(PresentationOrder({samples.begin(), samples.begin() + walked}))
            : walked;
    if (picture && kept == 0) {
      return Fail(result, RepairError::kNothingToRecover,
                  damaged.string() + " holds no picture that shows whole: nothing to recover");
    }
    std::uint64_t presented = 0;
    if (!RebuildTrack(atoms.tracks[i], samples, walk.chunks, i, kept, mediaStart, movieScale,
                      presented, why)) {
      return Fail(result, RepairError::kFailed, why);
    }
    FitSampleGroups(*tables[i], kept);
    longest = std::max(longest, presented);
    if (kept > 0) mediaEnd = std::max(mediaEnd, samples[kept - 1].offset + samples[kept - 1].size);
    (picture ? result.pictures : result.soundFrames) = kept;
  }
  WriteWord(atoms.mvhd->data, kMvhdDuration, static_cast<std::uint32_t>(longest));

  // The media are the damaged file's, up to the end of the last sample kept.
  atoms.mdat->sourcePath = std::make_shared<const std::filesystem::path>(damaged);
  atoms.mdat->readOffset = media->offset;
  atoms.mdat->readSize = reference.mediaLead + mediaEnd;
  atoms.mdat->size = atoms.mdat->readSize;
  // The sensor track: the reference's header, no records.
  atoms.udat->recordCount = 0;
  atoms.udat->recordBytes = 0;
  atoms.udat->joinedRecordCount = 0;

  switch (CheckJoinedTree(reference.movie->root, atoms)) {
    case JoinLimit::kNone:
      break;
    case JoinLimit::kSizeOver:
    case JoinLimit::kTooManyRecords:
      return Fail(result, RepairError::kFailed, "the repaired movie would pass 4 GiB");
    case JoinLimit::kMediaMoved:
      return Fail(result, RepairError::kFailed,
                  "the reference's media does not follow its file type atom");
  }
  if (!prefill.Finish(why)) {
    const bool cancelled = options.running != nullptr && !options.running->load();
    return Fail(result, cancelled ? RepairError::kCancelled : RepairError::kFailed, why);
  }
  bool cancelled = false;
  if (!WriteAroundMedia(reference.movie->root, out, options.running, cancelled, why)) {
    return Fail(result, cancelled ? RepairError::kCancelled : RepairError::kFailed, why);
  }
  return result;
}
