#include "catalogue/recording_clip.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <memory>
#include <tuple>
#include <vector>

#include "catalogue/clip_tables.h"
#include "catalogue/edit_lists.h"
#include "catalogue/expanded_track.h"
#include "catalogue/join_merge.h"
#include "catalogue/join_writer.h"
#include "catalogue/recording_check.h"
#include "container/movie_file.h"
#include "container/picture_table.h"
#include "container/sensor_records.h"

namespace {

namespace fs = std::filesystem;

// More samples than an hour of sound at 96 kHz has.
constexpr std::size_t kMaxSamples = std::size_t{1} << 22;
constexpr std::int64_t kRecordNs = std::int64_t{kRecordIntervalMs} * 1'000'000;
constexpr std::uint32_t kPictureHandler = 0x76696465;  // 'vide'
constexpr std::uint32_t kSoundHandler = 0x736F756E;    // 'soun'
constexpr std::size_t kMvhdTimeScale = 12;
constexpr std::size_t kMvhdDuration = 16;
constexpr std::size_t kTkhdDuration = 20;
constexpr std::size_t kMdhdTimeScale = 12;
constexpr std::size_t kMdhdDuration = 16;

std::uint32_t HandlerOf(const TrackAtoms& track) {
  return track.hdlr->data.size() >= 12 ? ReadWord(track.hdlr->data, 8) : 0;
}

// `value` in time scale `from` as units of time scale `to`, rounded down.
std::uint64_t Rescale(std::uint64_t value, std::uint32_t from, std::uint32_t to) {
  return value / from * to + value % from * to / from;
}

// One recording of the clip, open until the clip is written.
struct Part {
  std::unique_ptr<MovieFile> movie;
  JoinAtoms atoms;
  // Per track: where its one media edit starts in the cut media. The merge
  // grows the edits of pictures (and uncompressed sound) only between
  // recordings whose edits start alike, so the head's edits keep their
  // recorded start until the merges are done.
  std::vector<std::int32_t> mediaTimes;
  // The bytes of the media that the kept samples lie in, and the sensor
  // records of the pictures shown.
  std::uint64_t mediaBegin = UINT64_MAX;
  std::uint64_t mediaEnd = 0;
  std::uint64_t firstRecord = 0;
  std::uint64_t records = 0;
};

// One track cut to the samples a piece keeps.
struct CutTrack {
  ExpandedTrack samples;
  std::optional<AtomBytes> ctts, stss, sdtp;
  std::vector<Edit> edits;
};

void Store(AtomNode* node, AtomBytes bytes) {
  if (node == nullptr) return;
  node->data = std::move(bytes);
  node->size = node->data.size();
}

// The samples (in decoding order) that the pictures `first`..`last` need:
// from the keyframe at or before `first` on.
std::pair<std::uint32_t, std::uint32_t> PictureSamples(const PictureTable& table,
                                                       std::int64_t first, std::int64_t last) {
  std::int64_t from = table.count, to = 0;
  for (std::int64_t picture = table.KeyAtOrBefore(first); picture <= last; ++picture) {
    from = std::min(from, table.SampleOf(picture));
    to = std::max(to, table.SampleOf(picture));
  }
  return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to)};
}

// Cuts one track of a piece. The pictures shown lie from `shownFrom` to
// `shownTo` in the picture track's time scale and last `edit` in the
// movie's; `mediaTime` gets where the cut track's edit starts in its media.
bool CutOne(const TrackAtoms& track, bool tail, const PictureTable& table,
            std::pair<std::uint32_t, std::uint32_t> pictureSamples, std::uint64_t shownFrom,
            std::uint64_t shownTo, std::uint32_t edit, CutTrack& cut, std::int32_t& mediaTime,
            std::string& why) {
  std::optional<std::vector<Edit>> edits = track.elst ? ReadEdits(track.elst->data) : std::nullopt;
  const std::optional<Edit> media = edits ? MediaEdit(*edits) : std::nullopt;
  std::optional<ExpandedTrack> samples = ExpandTrack(
      track.stts->data, track.stsz->data, track.stsc->data, track.stco->data, kMaxSamples);
  if (!media || !samples || samples->deltas.empty()) {
    why = "a track has no edit list of the recorder's form or unreadable sample tables";
    return false;
  }
  std::uint32_t first = 0;
  std::uint32_t last = static_cast<std::uint32_t>(samples->SampleCount() - 1);
  if (HandlerOf(track) == kPictureHandler) {
    // Picture p shows at p pictures' time after the edit's start; the
    // samples taken off the front move every picture that far forward.
    std::tie(first, last) = pictureSamples;
    const std::int64_t picture = static_cast<std::int64_t>(shownFrom) / table.delta;
    mediaTime = media->mediaTime + static_cast<std::int32_t>((picture - first) * table.delta);
  } else if (HandlerOf(track) == kSoundHandler) {
    // The sound of the pictures shown, from the sample that holds the first
    // picture's instant; compressed sound keeps one sample more in front,
    // which its decoder needs to give that sample whole.
    const std::uint32_t scale = ReadWord(track.mdhd->data, kMdhdTimeScale);
    const auto timeScale = static_cast<std::uint32_t>(table.timeScale);
    const std::uint64_t from = media->mediaTime + Rescale(shownFrom, timeScale, scale);
    const std::uint64_t to = media->mediaTime + Rescale(shownTo, timeScale, scale);
    std::uint64_t time = 0, firstTime = 0;
    for (std::uint32_t s = 0; s < samples->SampleCount(); ++s) {
      if (time <= from) first = s;
      if (tail && time < to) last = s;
      time += samples->deltas[s];
    }
    if (samples->deltas.front() != 1 && first > 0) --first;
    for (std::uint32_t s = 0; s < first; ++s) firstTime += samples->deltas[s];
    if (last < first) last = first;
    mediaTime = static_cast<std::int32_t>(from - firstTime);
  } else {
    why = "a track holds neither pictures nor sound";
    return false;
  }
  const std::size_t count = samples->SampleCount();
  DropBack(*samples, count - 1 - last);
  DropFront(*samples, first);
  cut.samples = std::move(*samples);
  if ((track.ctts && !(cut.ctts = CutCompositionOffsets(track.ctts->data, first, last))) ||
      (track.stss && !(cut.stss = CutSyncSamples(track.stss->data, first, last))) ||
      (track.sdtp && !(cut.sdtp = CutSampleFlags(track.sdtp->data, first, last)))) {
    why = "a track's sample tables disagree on its number of samples";
    return false;
  }
  edits->back().duration = edit;
  // The merge compares and grows the edits of tracks joined sample for
  // sample by their recorded start; sound joined at seams needs its own.
  edits->back().mediaTime = JoinsAtSeams(track) ? mediaTime : media->mediaTime;
  cut.edits = std::move(*edits);
  return true;
}

std::uint32_t EditsLength(const std::vector<Edit>& edits) {
  std::uint64_t length = 0;
  for (const Edit& edit : edits) length += edit.duration;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(length, UINT32_MAX));
}

// Cuts a recording's tables to the pictures of `piece` and the sound with
// them; the head's chunks move to follow its media's first 8 bytes.
bool CutPiece(Part& part, const ClipPiece& piece, bool head, bool tail, std::string& why) {
  JoinAtoms& atoms = part.atoms;
  const std::optional<PictureTable> table = ReadPictureTable(*part.movie);
  const std::uint32_t movieScale = ReadWord(atoms.mvhd->data, kMvhdTimeScale);
  if (atoms.tracks.empty() || HandlerOf(atoms.tracks[0]) != kPictureHandler || !table ||
      movieScale == 0 || table->timeScale > UINT32_MAX || piece.last >= table->count ||
      piece.first > piece.last) {
    why = "its first track is not a picture track of the pictures asked for";
    return false;
  }
  const auto shownFrom = static_cast<std::uint64_t>(piece.first * table->delta);
  const auto shownTo = static_cast<std::uint64_t>((piece.last + 1) * table->delta);
  const auto edit = static_cast<std::uint32_t>(
      Rescale(shownTo - shownFrom, static_cast<std::uint32_t>(table->timeScale), movieScale));
  const auto pictureSamples = PictureSamples(*table, piece.first, piece.last);

  std::vector<CutTrack> cuts(atoms.tracks.size());
  part.mediaTimes.assign(atoms.tracks.size(), 0);
  for (std::size_t i = 0; i < atoms.tracks.size(); ++i) {
    if ((i > 0 && HandlerOf(atoms.tracks[i]) == kPictureHandler) ||
        !CutOne(atoms.tracks[i], tail, *table, pictureSamples, shownFrom, shownTo, edit, cuts[i],
                part.mediaTimes[i], why)) {
      if (why.empty()) why = "it has more than one picture track";
      return false;
    }
    if (!cuts[i].samples.chunks.empty()) {
      part.mediaBegin =
          std::min<std::uint64_t>(part.mediaBegin, cuts[i].samples.chunks.front().offset);
      part.mediaEnd = std::max(part.mediaEnd, ChunksEnd(cuts[i].samples));
    }
  }
  if (part.mediaBegin >= part.mediaEnd) {
    why = "no samples to keep";
    return false;
  }
  std::uint32_t longest = 0;
  for (std::size_t i = 0; i < atoms.tracks.size(); ++i) {
    TrackAtoms& track = atoms.tracks[i];
    CutTrack& cut = cuts[i];
    if (head && !MoveChunks(cut.samples, static_cast<std::int64_t>(atoms.mdat->offset + 8) -
                                             static_cast<std::int64_t>(part.mediaBegin))) {
      why = "a chunk offset would leave the 32-bit range";
      return false;
    }
    CompactTables tables = CompactTrack(cut.samples);
    Store(track.stts, std::move(tables.stts));
    Store(track.stsz, std::move(tables.stsz));
    Store(track.stsc, std::move(tables.stsc));
    Store(track.stco, std::move(tables.stco));
    if (cut.ctts) Store(track.ctts, std::move(*cut.ctts));
    if (cut.stss) Store(track.stss, std::move(*cut.stss));
    if (cut.sdtp) Store(track.sdtp, std::move(*cut.sdtp));
    Store(track.elst, WriteEdits(cut.edits));
    const std::uint32_t length = EditsLength(cut.edits);
    WriteWord(track.tkhd->data, kTkhdDuration, length);
    WriteWord(
        track.mdhd->data, kMdhdDuration,
        static_cast<std::uint32_t>(std::min<std::uint64_t>(cut.samples.Duration(), UINT32_MAX)));
    longest = std::max(longest, length);
  }
  WriteWord(atoms.mvhd->data, kMvhdDuration, longest);

  // The records whose tenth of a second the pictures shown begin in.
  const std::uint64_t records = atoms.udat->recordCount;
  part.firstRecord = static_cast<std::uint64_t>(table->StartNs(piece.first) / kRecordNs);
  const std::uint64_t lastRecord = std::min<std::uint64_t>(
      static_cast<std::uint64_t>(table->StartNs(piece.last) / kRecordNs), records - 1);
  part.records = part.firstRecord < records ? lastRecord - part.firstRecord + 1 : 0;
  return true;
}

// A track's sample group (`sbgp`; the sound decoder's pre-roll) of one
// entry, which the recorder writes over all of a track's samples, covers
// every sample of the cut track.
void FitSampleGroups(AtomNode& node) {
  for (AtomNode& child : node.children) {
    if (child.Name() != "stbl") {
      FitSampleGroups(child);
      continue;
    }
    const AtomNode* stsz = nullptr;
    for (const AtomNode& table : child.children) {
      if (table.Name() == "stsz") stsz = &table;
    }
    const std::optional<std::uint32_t> samples = stsz ? SampleCount(stsz->data) : std::nullopt;
    for (AtomNode& table : child.children) {
      if (!samples || table.Name() != "sbgp" || !table.ContentInFile() || table.readSize != 20) {
        continue;
      }
      AtomBytes content(20);
      std::ifstream in(*table.sourcePath, std::ios::binary);
      in.seekg(static_cast<std::streamoff>(table.readOffset));
      if (in.read(reinterpret_cast<char*>(content.data()), 20) && content[0] == 0 &&
          ReadWord(content, 8) == 1) {
        WriteWord(content, 12, *samples);
        Store(&table, std::move(content));
      }
    }
  }
}

std::optional<std::uint64_t> StatvfsFreeSpace(const fs::path& folder) {
  struct statvfs info {};
  if (statvfs(folder.c_str(), &info) != 0) return std::nullopt;
  return std::uint64_t{info.f_bavail} * info.f_frsize;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

ClipResult Fail(ClipResult result, ClipError error, std::string why) {
  result.error = error;
  result.why = std::move(why);
  return result;
}

// Takes the head's cut media and records out of its own atoms into nodes
// of their own, so that its media begin with the recording's first 8
// bytes and its sensor track with its header, each followed by what the
// clip keeps, as a join appends a further recording's.
void SliceHead(Part& head, std::deque<AtomNode>& slices) {
  AtomNode& mdat = *head.atoms.mdat;
  AtomNode& media = slices.emplace_back(mdat);
  media.offset = media.readOffset = head.mediaBegin - 8;
  media.size = media.readSize = head.mediaEnd - head.mediaBegin + 8;
  mdat.readSize = 8;
  mdat.size = 8 + media.size - 8;
  mdat.joinedHead = mdat.joinedNext = &media;

  AtomNode& udat = *head.atoms.udat;
  AtomNode& records = slices.emplace_back(udat);
  records.readOffset += kSensorRecordSize * head.firstRecord;
  records.recordCount = head.records;
  records.recordBytes = kSensorRecordSize * head.records;
  udat.recordCount = 0;
  udat.recordBytes = 0;
  udat.joinedRecordCount = head.records;
  udat.trackSize = kSensorRecordsOffset + 6 + records.recordBytes;
  udat.size = udat.trackSize;
  udat.joinedHead = udat.joinedNext = &records;
}

// Narrows a further recording's media and sensor atoms to what the clip
// keeps of them; the merge appends them to the head's.
void SliceFurther(Part& part) {
  AtomNode& mdat = *part.atoms.mdat;
  mdat.offset = mdat.readOffset = part.mediaBegin - 8;
  mdat.size = mdat.readSize = part.mediaEnd - part.mediaBegin + 8;
  AtomNode& udat = *part.atoms.udat;
  udat.readOffset += kSensorRecordSize * part.firstRecord;
  udat.recordCount = part.records;
  udat.recordBytes = kSensorRecordSize * part.records;
}

// The head's edits start where its cut media show the first picture, once
// the merges no longer compare them; every track and the movie last as
// long as their edits.
void SetEdits(Part& head) {
  std::uint32_t longest = 0;
  for (std::size_t i = 0; i < head.atoms.tracks.size(); ++i) {
    TrackAtoms& track = head.atoms.tracks[i];
    std::vector<Edit> edits = *ReadEdits(track.elst->data);
    edits.back().mediaTime = head.mediaTimes[i];
    Store(track.elst, WriteEdits(edits));
    const std::uint32_t length = EditsLength(edits);
    WriteWord(track.tkhd->data, kTkhdDuration, length);
    longest = std::max(longest, length);
  }
  WriteWord(head.atoms.mvhd->data, kMvhdDuration, longest);
}

// GStreamer's demuxer (1.22) ends a track at its first sync sample whose
// time in the media reaches the movie's length, even where the track's edit
// shows it earlier. A clip's pictures begin late in their media (from the
// keyframe before the start picture), so the keyframes of its last stretch
// are listed as sync samples no more: they decode as any other picture, and
// a seek there decodes from the keyframe before.
bool ListSyncSamplesShownInTime(Part& head, std::string& why) {
  const std::uint32_t movieScale = ReadWord(head.atoms.mvhd->data, kMvhdTimeScale);
  const std::uint32_t length = ReadWord(head.atoms.mvhd->data, kMvhdDuration);
  for (TrackAtoms& track : head.atoms.tracks) {
    if (track.stss == nullptr) continue;
    const std::uint64_t limit =
        Rescale(length, movieScale, ReadWord(track.mdhd->data, kMdhdTimeScale));
    std::optional<AtomBytes> stss = SyncSamplesShownBefore(
        track.stss->data, track.stts->data, track.ctts ? &track.ctts->data : nullptr, limit);
    if (!stss) {
      why = "a track's sync samples cannot be listed";
      return false;
    }
    Store(track.stss, std::move(*stss));
  }
  return true;
}

ClipResult RunClip(const ClipStretch& stretch, const fs::path& output, const ClipOptions& options,
                   std::deque<Part>& parts) {
  ClipResult result;
  if (stretch.pieces.empty()) return Fail(result, ClipError::kTooShort, "the stretch is empty");
  for (const ClipPiece& piece : stretch.pieces) {
    if (SameFile(piece.recording, output)) {
      return Fail(result, ClipError::kFailed, "the output is one of the clip's recordings");
    }
    if (!IsRecording(piece.recording)) {
      return Fail(result, ClipError::kUnreadable,
                  piece.recording.string() + ": cannot be read or is not a recorder movie");
    }
  }
  const fs::path folder = output.parent_path().empty() ? "." : output.parent_path();
  std::error_code folderError;
  if (!fs::is_directory(folder, folderError)) {
    return Fail(result, ClipError::kFailed,
                "the output folder " + folder.string() +
                    (fs::exists(folder, folderError) ? " is not a folder" : " does not exist"));
  }

  for (std::size_t i = 0; i < stretch.pieces.size(); ++i) {
    if (options.running != nullptr && !options.running->load()) {
      return Fail(result, ClipError::kCancelled, "cancelled");
    }
    const ClipPiece& piece = stretch.pieces[i];
    Part& part = parts.emplace_back();
    std::string why;
    part.movie = MovieFile::Open(piece.recording, /*examineRoot=*/true, &why);
    if (i == 0) result.firstOpened = part.movie != nullptr;
    if (!part.movie || !FindJoinAtoms(*part.movie, part.atoms, why) ||
        !CutPiece(part, piece, i == 0, i + 1 == stretch.pieces.size(), why)) {
      return Fail(result, ClipError::kUnreadable, piece.recording.string() + ": " + why);
    }
  }
  std::deque<AtomNode> slices;
  Part& head = parts.front();
  SliceHead(head, slices);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    SliceFurther(parts[i]);
    std::string why;
    if (!Merge(head.atoms, parts[i].atoms, why)) {
      return Fail(result, ClipError::kFailed, stretch.pieces[i].recording.string() + ": " + why);
    }
  }
  SetEdits(head);
  FitSampleGroups(head.movie->root);
  if (std::string why; !ListSyncSamplesShownInTime(head, why)) {
    return Fail(result, ClipError::kFailed, why);
  }

  switch (CheckJoinedTree(head.movie->root, head.atoms)) {
    case JoinLimit::kNone:
      break;
    case JoinLimit::kSizeOver:
      return Fail(result, ClipError::kSizeOver, "the clip would pass 4 GiB");
    case JoinLimit::kTooManyRecords:
      return Fail(result, ClipError::kSizeOver, "the clip's sensor track would pass 65535 records");
    case JoinLimit::kMediaMoved:
      return Fail(result, ClipError::kFailed,
                  "the first recording's media does not follow its file type atom");
  }
  const std::uint64_t total = JoinedTreeSize(head.movie->root);
  const auto freeSpace = options.freeSpace ? options.freeSpace(folder) : StatvfsFreeSpace(folder);
  if (!freeSpace || total >= *freeSpace) {
    return Fail(result, ClipError::kFailed, "not enough free space in " + folder.string());
  }
  std::uint64_t shown = 0;  // the hundredths of the total last posted
  const WriteProgress progress = [&](std::uint64_t written) {
    const std::uint64_t hundredths = written * 100 / total;
    if (options.sink == nullptr || hundredths == shown) return;
    shown = hundredths;
    options.sink->Post(ClipOptions::kProgress, static_cast<std::intptr_t>(written),
                       static_cast<std::intptr_t>(total));
  };
  bool cancelled = false;
  std::string why;
  if (!WriteRecordingTree(head.movie->root, output, options.running, cancelled, why, progress)) {
    return Fail(result, cancelled ? ClipError::kCancelled : ClipError::kFailed, why);
  }
  if (options.sink != nullptr) {
    options.sink->Post(ClipOptions::kProgress, static_cast<std::intptr_t>(total),
                       static_cast<std::intptr_t>(total));
  }
  return result;
}

}  // namespace

ClipResult WriteClip(const ClipStretch& stretch, const fs::path& output,
                     const ClipOptions& options) {
  std::deque<Part> parts;  // open until the clip is written
  const ClipResult result = RunClip(stretch, output, options, parts);
  if (options.sink != nullptr) {
    options.sink->Post(ClipOptions::kFinished, 0, result.firstOpened ? 1 : 0);
  }
  return result;
}
