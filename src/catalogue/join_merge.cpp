#include "catalogue/join_merge.h"

#include <algorithm>
#include <optional>

#include "catalogue/edit_lists.h"
#include "catalogue/sample_tables.h"
#include "catalogue/sound_seams.h"
#include "catalogue/table_checks.h"
#include "container/sensor_records.h"

namespace {

AtomNode* FindChild(AtomNode* node, std::string_view name) {
  if (node == nullptr) return nullptr;
  for (AtomNode& child : node->children) {
    if (child.Name() == name) return &child;
  }
  return nullptr;
}

AtomNode* FindPath(AtomNode* node, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) node = FindChild(node, name);
  return node;
}

// A container cut by a bad or unknown child holds neither its whole content
// nor all its children: it cannot be written out again. Nor is a leaf
// beside the media and the sensor track copied through when it is larger
// than the headers of any recording: a recorder never writes one, and the
// output would carry it to no purpose.
bool IsWritable(const AtomNode& node, std::string& why) {
  const std::string_view name = node.Name();
  if (node.IsCut()) {
    why = "the atom '" + std::string(name) + "' could not be read whole";
    return false;
  }
  if (node.ContentInFile() && name != "mdat" && name != "udat" &&
      node.size > MovieFile::kMaxHeldLeaf) {
    why = "the atom '" + std::string(name) + "' holds " + std::to_string(node.size) +
          " bytes, more than a recording's headers";
    return false;
  }
  for (const AtomNode& child : node.children) {
    if (!IsWritable(child, why)) return false;
  }
  return true;
}

// True when the node's content starts with version 0 and holds `length` bytes.
bool IsVersion0(const AtomNode* node, std::size_t length) {
  return node != nullptr && node->data.size() >= length && node->data[0] == 0;
}

constexpr std::uint32_t kSoundHandler = 0x736F756E;    // 'soun'
constexpr std::uint32_t kPictureHandler = 0x76696465;  // 'vide'

bool HasHandler(const TrackAtoms& track, std::uint32_t handler) {
  return track.hdlr->data.size() >= 12 && ReadWord(track.hdlr->data, 8) == handler;
}

bool IsSound(const TrackAtoms& track) { return HasHandler(track, kSoundHandler); }

// The duration of the track's first sample, the frame duration of a picture
// track.
std::uint32_t FirstDelta(const AtomNode& stts) {
  return ReadWord(stts.data, 0) == 0 && ReadWord(stts.data, 4) > 0 ? ReadWord(stts.data, 12) : 0;
}

// Uncompressed sound: every sample is one instant of sound, one unit of the
// track's time scale long, with nothing to prime or pad.
bool IsUncompressedSound(const TrackAtoms& track) {
  return IsSound(track) && FirstDelta(*track.stts) == 1;
}

// True when every sample of the track lasts one frame; a picture track's
// last sample, and any compressed sound sample, may be shorter, but not 0.
bool FrameDurationsMatch(const TrackAtoms& track, std::uint32_t frame) {
  if (IsUncompressedSound(track)) return frame == 1 && DeltasMatch(track.stts->data, 1, false);
  return frame > 1 && frame != UINT32_MAX && DeltasMatch(track.stts->data, frame, IsSound(track));
}

bool FindTrack(AtomNode& trak, TrackAtoms& track, std::string& why) {
  AtomNode* stbl = FindPath(&trak, {"mdia", "minf", "stbl"});
  track.tkhd = FindChild(&trak, "tkhd");
  track.elst = FindPath(&trak, {"edts", "elst"});
  track.mdhd = FindPath(&trak, {"mdia", "mdhd"});
  track.hdlr = FindPath(&trak, {"mdia", "hdlr"});
  track.stsd = FindChild(stbl, "stsd");
  track.stts = FindChild(stbl, "stts");
  track.ctts = FindChild(stbl, "ctts");
  track.stss = FindChild(stbl, "stss");
  track.stsz = FindChild(stbl, "stsz");
  track.stsc = FindChild(stbl, "stsc");
  track.stco = FindChild(stbl, "stco");
  track.sdtp = FindChild(stbl, "sdtp");
  if (FindChild(stbl, "co64") != nullptr) {
    why = "a track uses 64-bit chunk offsets";
    return false;
  }
  if (!IsVersion0(track.tkhd, 24) || !IsVersion0(track.mdhd, 20) || track.hdlr == nullptr ||
      track.stsd == nullptr || track.stts == nullptr || track.stsz == nullptr ||
      track.stsc == nullptr || track.stco == nullptr ||
      (track.elst != nullptr && !IsVersion0(track.elst, 12))) {
    why = "a track lacks a sample table or uses a form the join does not write";
    return false;
  }
  if (!EntryCount(track.stts->data, 8) || !EntryCount(track.stco->data, 4) ||
      !EntryCount(track.stsc->data, 12) || !SampleCount(track.stsz->data) ||
      (track.stss && !EntryCount(track.stss->data, 4)) ||
      (track.ctts && !EntryCount(track.ctts->data, 8)) || !DescriptionCount(track.stsd->data)) {
    why = "a sample table claims more entries than it holds";
    return false;
  }
  const std::uint32_t samples = *SampleCount(track.stsz->data);
  if (SamplesInChunks(track.stsc->data, *EntryCount(track.stco->data, 4)) != samples ||
      TimedSamples(track.stts->data) != samples) {
    why = "a track's sample tables disagree on its number of samples";
    return false;
  }
  if (!DescriptionsWithin(track.stsc->data, *DescriptionCount(track.stsd->data))) {
    why = "a track's chunks name a sample description it does not have";
    return false;
  }
  if (track.stss && !SyncSamplesWithin(track.stss->data, samples)) {
    why = "a track's sync samples lie past its samples";
    return false;
  }
  if (!FrameDurationsMatch(track, FirstDelta(*track.stts))) {
    why = "a track's samples do not all last one frame";
    return false;
  }
  return true;
}

// The sample descriptions as compared between recordings. An AAC track's
// `esds` carries the buffer size and bit rates the encoder measured over
// its own file; they differ from file to file without changing how the
// samples decode, so they are left out of the comparison.
AtomBytes ComparableDescription(AtomBytes stsd) {
  static constexpr std::uint8_t kEsds[4] = {'e', 's', 'd', 's'};
  auto it = std::search(stsd.begin(), stsd.end(), std::begin(kEsds), std::end(kEsds));
  if (it == stsd.end()) return stsd;
  std::size_t at = static_cast<std::size_t>(it - stsd.begin()) + 4 + 4;  // name, version and flags
  std::size_t length = 0;
  if (at >= stsd.size() || stsd[at++] != 0x03 || !ReadDescriptorLength(stsd, at, length) ||
      at + 3 > stsd.size()) {
    return stsd;
  }
  const std::uint8_t flags = stsd[at + 2];
  at += 3;                                                     // ES_ID, flags
  if (flags & 0x80) at += 2;                                   // depends on another stream
  if ((flags & 0x40) && at < stsd.size()) at += 1 + stsd[at];  // URL
  if (flags & 0x20) at += 2;                                   // OCR stream
  if (at >= stsd.size() || stsd[at++] != 0x04 || !ReadDescriptorLength(stsd, at, length) ||
      at + 13 > stsd.size()) {
    return stsd;
  }
  std::fill(stsd.begin() + static_cast<std::ptrdiff_t>(at + 2),
            stsd.begin() + static_cast<std::ptrdiff_t>(at + 13), 0);
  return stsd;
}

// The bytes a track's description is compared by: handler type, time scale
// and sample descriptions must agree for b's samples to play on in a's track.
bool Compatible(const TrackAtoms& a, const TrackAtoms& b) {
  const auto word = [](const AtomNode* node, std::size_t at) { return ReadWord(node->data, at); };
  return a.hdlr->data.size() >= 12 && b.hdlr->data.size() >= 12 &&
         word(a.hdlr, 8) == word(b.hdlr, 8) && word(a.mdhd, 12) == word(b.mdhd, 12) &&
         ComparableDescription(a.stsd->data) == ComparableDescription(b.stsd->data) &&
         (a.elst == nullptr) == (b.elst == nullptr) && (a.ctts == nullptr) == (b.ctts == nullptr) &&
         (a.stss == nullptr) == (b.stss == nullptr) && (a.sdtp == nullptr) == (b.sdtp == nullptr);
}

// The four-character name of a track's first sample description: its
// coding ("avc1", "hvc1", "mp4a", "sowt", ...).
std::string Coding(const TrackAtoms& track) {
  const AtomBytes& stsd = track.stsd->data;
  return stsd.size() < 16 ? std::string() : std::string(stsd.begin() + 12, stsd.begin() + 16);
}

// "160x120": the picture size of a track's first sample description.
std::string PictureSize(const TrackAtoms& track) {
  const AtomBytes& stsd = track.stsd->data;
  if (stsd.size() < 44) return {};
  return std::to_string(stsd[40] << 8 | stsd[41]) + "x" + std::to_string(stsd[42] << 8 | stsd[43]);
}

// True when b's track can play on in a's; else false with the reason, the
// most telling first.
bool Matches(const TrackAtoms& a, const TrackAtoms& b, std::string& why) {
  const bool pictures = HasHandler(a, kPictureHandler) && HasHandler(b, kPictureHandler);
  if (Coding(a) != Coding(b)) {
    const char* kind = pictures ? "picture" : IsSound(a) ? "sound" : "";
    why = std::string("the recordings' ") + kind + (*kind ? " " : "") +
          "tracks are coded differently (" + Coding(a) + ", " + Coding(b) + ")";
  } else if (pictures && PictureSize(a) != PictureSize(b)) {
    why = "the recordings' pictures have different sizes (" + PictureSize(a) + ", " +
          PictureSize(b) + ")";
  } else if (!FrameDurationsMatch(b, FirstDelta(*a.stts))) {
    why = "the recordings' samples last different times (another frame rate)";
  } else if (!Compatible(a, b)) {
    why = "the recordings have different tracks, time scales or sample descriptions";
  } else {
    return true;
  }
  return false;
}

// Appends `node` to the join list that `owner` heads.
void AppendJoined(AtomNode& owner, AtomNode& node) {
  if (owner.joinedHead == nullptr) {
    owner.joinedHead = &node;
  } else {
    owner.joinedNext->joinedNext = &node;
  }
  owner.joinedNext = &node;
}

// The joined tables of one track, made before anything of `a` changes.
struct JoinedTrack {
  AtomBytes stts, stsz, stsc, stco, ctts, stss, sdtp, tkhd, mdhd, elst;
};

// Moves a joined table into place; false when there is none.
bool Take(std::optional<AtomBytes> joined, AtomBytes& into) {
  if (joined) into = std::move(*joined);
  return joined.has_value();
}

SoundTables SoundTablesOf(const TrackAtoms& track) {
  return {track.stts->data, track.stsz->data, track.stsc->data, track.stco->data, track.elst->data};
}

// A sound track with its edit list: joined at the seams so that each
// recording's sound plays with its pictures, which begin `pictures` after
// a's.
bool JoinSound(const TrackAtoms& a, const TrackAtoms& b, std::uint32_t movieScale,
               std::uint32_t pictures, std::int64_t chunkShift, JoinedTrack& out,
               std::string& why) {
  if (a.ctts || a.stss || a.sdtp) {
    why = "a sound track has sample tables the join does not write";
    return false;
  }
  std::optional<SoundTables> joined =
      JoinSoundTrack(SoundTablesOf(a), SoundTablesOf(b), ReadWord(a.mdhd->data, 12), movieScale,
                     pictures, chunkShift, why);
  if (!joined) return false;
  out.stts = std::move(joined->stts);
  out.stsz = std::move(joined->stsz);
  out.stsc = std::move(joined->stsc);
  out.stco = std::move(joined->stco);
  out.elst = std::move(joined->elst);
  WriteWord(out.mdhd, 16, static_cast<std::uint32_t>(*TimeToSampleDuration(out.stts)));
  return true;
}

bool JoinTrack(const TrackAtoms& a, const TrackAtoms& b, std::uint32_t movieScale,
               std::uint32_t pictures, std::int64_t chunkShift, JoinedTrack& out,
               std::string& why) {
  const std::uint32_t samplesBefore = *SampleCount(a.stsz->data);
  const std::uint32_t chunksBefore = *EntryCount(a.stco->data, 4);
  out.tkhd = a.tkhd->data;
  out.mdhd = a.mdhd->data;
  if (!AddDuration(out.tkhd, 20, ReadWord(b.tkhd->data, 20)) ||
      !AddDuration(out.mdhd, 16, ReadWord(b.mdhd->data, 16))) {
    why = "the joined duration would overflow";
    return false;
  }
  // Uncompressed sound joins sample for sample, as pictures do.
  if (JoinsAtSeams(a)) {
    return JoinSound(a, b, movieScale, pictures, chunkShift, out, why);
  }
  if (a.elst && !Take(GrowMediaEdit(a.elst->data, b.elst->data, true), out.elst)) {
    why = "the recordings' edit lists differ or have a form the join does not write";
    return false;
  }
  if (Take(JoinTimeToSample(a.stts->data, b.stts->data), out.stts) &&
      Take(JoinSampleSizes(a.stsz->data, b.stsz->data), out.stsz) &&
      Take(JoinSampleToChunk(a.stsc->data, b.stsc->data, chunksBefore), out.stsc) &&
      Take(JoinChunkOffsets(a.stco->data, b.stco->data, chunkShift), out.stco) &&
      (!a.ctts || Take(JoinCompositionOffsets(a.ctts->data, b.ctts->data), out.ctts)) &&
      (!a.stss || Take(JoinSyncSamples(a.stss->data, b.stss->data, samplesBefore), out.stss)) &&
      (!a.sdtp || Take(JoinSampleFlags(a.sdtp->data, b.sdtp->data), out.sdtp))) {
    return true;
  }
  why = "a joined sample table would overflow";
  return false;
}

// How long a track plays, in the movie's time scale, after the empty edits
// in front of it: its media edit, or without an edit list its header's
// duration.
std::uint32_t PlayLength(const TrackAtoms& track) {
  const std::optional<std::vector<Edit>> edits =
      track.elst ? ReadEdits(track.elst->data) : std::nullopt;
  const std::optional<Edit> media = edits ? MediaEdit(*edits) : std::nullopt;
  return media ? media->duration : ReadWord(track.tkhd->data, 20);
}

// How long a's pictures play: b's pictures, and with them b's sound, begin
// that long after a's. Without a picture track, the sound's own length.
std::uint32_t PicturesLength(const JoinAtoms& a) {
  for (const TrackAtoms& track : a.tracks) {
    if (HasHandler(track, kPictureHandler)) return PlayLength(track);
  }
  for (const TrackAtoms& track : a.tracks) {
    if (IsSound(track)) return PlayLength(track);
  }
  return 0;
}

// True when every chunk of the track with its samples lies in the media
// after its first 8 bytes, which the recorder keeps free of samples and a
// join drops from every further file.
bool ChunksInMedia(const TrackAtoms& track, const AtomNode& mdat) {
  return ChunksWithin(track.stsc->data, track.stsz->data, track.stco->data, mdat.offset + 8,
                      mdat.offset + mdat.readSize);
}

void Store(AtomNode* node, AtomBytes bytes) {
  if (node == nullptr) return;
  node->data = std::move(bytes);
  node->size = node->data.size();
}

}  // namespace

bool JoinsAtSeams(const TrackAtoms& track) {
  return track.elst != nullptr && IsSound(track) && !IsUncompressedSound(track);
}

bool FindJoinAtoms(MovieFile& movie, JoinAtoms& atoms, std::string& why) {
  AtomNode& root = movie.root;
  std::size_t mdatAt = root.children.size(), moovAt = root.children.size();
  for (std::size_t i = 0; i < root.children.size(); ++i) {
    const std::string_view name = root.children[i].Name();
    if (name == "mdat" && mdatAt == root.children.size()) mdatAt = i;
    if (name == "moov" && moovAt == root.children.size()) moovAt = i;
  }
  if (movie.list(MovieFile::kMdat).size() != 1 || movie.list(MovieFile::kUdat).size() != 1 ||
      mdatAt > moovAt || moovAt == root.children.size()) {
    why =
        "not a recorder movie: it needs one media atom in front of the movie atom and one sensor "
        "track";
    return false;
  }
  if (root.isRaw || !IsWritable(root, why)) {
    if (root.isRaw) why = "the file holds atoms the join cannot write";
    return false;
  }
  atoms.mdat = movie.list(MovieFile::kMdat)[0];
  atoms.udat = movie.list(MovieFile::kUdat)[0];
  if (atoms.mdat->readSize < 8 ||
      kSensorRecordsOffset + atoms.udat->recordBytes + 6 > atoms.udat->readSize) {
    why = "the media or the sensor track is shorter than its header says";
    return false;
  }
  AtomNode* moov = &root.children[moovAt];
  atoms.mvhd = FindChild(moov, "mvhd");
  if (!IsVersion0(atoms.mvhd, 20)) {
    why = "the movie header is missing or uses a form the join does not write";
    return false;
  }
  atoms.tracks.clear();
  for (AtomNode& child : moov->children) {
    if (child.Name() != "trak") continue;
    TrackAtoms track;
    if (!FindTrack(child, track, why)) return false;
    if (!ChunksInMedia(track, *atoms.mdat)) {
      why = "sample data lies outside the media or in its first 8 bytes";
      return false;
    }
    atoms.tracks.push_back(track);
  }
  return true;
}

bool Merge(JoinAtoms& a, JoinAtoms& b, std::string& why) {
  if (a.tracks.size() != b.tracks.size() ||
      ReadWord(a.mvhd->data, 12) != ReadWord(b.mvhd->data, 12)) {
    why = "the recordings have different tracks or time scales";
    return false;
  }
  for (std::size_t i = 0; i < a.tracks.size(); ++i) {
    if (!Matches(a.tracks[i], b.tracks[i], why)) return false;
  }
  // b's media, without its first 8 bytes, lands right behind a's media as
  // joined so far: each of b's chunks moves by the distance between where it
  // was and where it lands.
  const std::int64_t chunkShift = static_cast<std::int64_t>(a.mdat->offset + a.mdat->size) -
                                  static_cast<std::int64_t>(b.mdat->offset + 8);
  const std::uint32_t pictures = PicturesLength(a);
  std::vector<JoinedTrack> joined(a.tracks.size());
  for (std::size_t i = 0; i < a.tracks.size(); ++i) {
    if (!JoinTrack(a.tracks[i], b.tracks[i], ReadWord(a.mvhd->data, 12), pictures, chunkShift,
                   joined[i], why)) {
      return false;
    }
  }
  AtomBytes mvhd = a.mvhd->data;
  if (!AddDuration(mvhd, 16, ReadWord(b.mvhd->data, 16))) {
    why = "the joined duration would overflow";
    return false;
  }

  Store(a.mvhd, std::move(mvhd));
  for (std::size_t i = 0; i < a.tracks.size(); ++i) {
    TrackAtoms& t = a.tracks[i];
    JoinedTrack& j = joined[i];
    Store(t.stts, std::move(j.stts));
    Store(t.stsz, std::move(j.stsz));
    Store(t.stsc, std::move(j.stsc));
    Store(t.stco, std::move(j.stco));
    Store(t.ctts, std::move(j.ctts));
    Store(t.stss, std::move(j.stss));
    Store(t.sdtp, std::move(j.sdtp));
    Store(t.tkhd, std::move(j.tkhd));
    Store(t.mdhd, std::move(j.mdhd));
    Store(t.elst, std::move(j.elst));
  }
  a.mdat->size += b.mdat->size - 8;
  AppendJoined(*a.mdat, *b.mdat);
  a.udat->joinedRecordCount =
      (a.udat->joinedRecordCount != 0 ? a.udat->joinedRecordCount : a.udat->recordCount) +
      b.udat->recordCount;
  a.udat->trackSize += b.udat->recordBytes;
  a.udat->size = a.udat->trackSize;
  AppendJoined(*a.udat, *b.udat);
  return true;
}
