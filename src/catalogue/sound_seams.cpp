#include "catalogue/sound_seams.h"

#include "catalogue/edit_lists.h"
#include "catalogue/expanded_track.h"

namespace {

// More samples than an hour of sound at 96 kHz has: the limit of the
// expanded tables.
constexpr std::size_t kMaxSamples = std::size_t{1} << 22;

std::optional<ExpandedTrack> Expand(const SoundTables& tables) {
  return ExpandTrack(tables.stts, tables.stsz, tables.stsc, tables.stco, kMaxSamples);
}

// The number of samples at the front that end at or before `mediaTime`,
// and their duration.
std::pair<std::size_t, std::uint64_t> LeadingBefore(const ExpandedTrack& track,
                                                    std::uint64_t mediaTime) {
  std::size_t count = 0;
  std::uint64_t time = 0;
  while (count < track.SampleCount() && time + track.deltas[count] <= mediaTime) {
    time += track.deltas[count++];
  }
  return {count, time};
}

// The number of samples at the back that start at or after `end`.
std::size_t TrailingAfter(const ExpandedTrack& track, std::uint64_t end) {
  std::uint64_t start = track.Duration();
  std::size_t count = 0;
  while (count < track.SampleCount() &&
         start - track.deltas[track.SampleCount() - 1 - count] >= end) {
    start -= track.deltas[track.SampleCount() - 1 - count];
    ++count;
  }
  return count;
}

}  // namespace

std::optional<SoundTables> JoinSoundTrack(const SoundTables& a, const SoundTables& b,
                                          std::uint32_t trackScale, std::uint32_t movieScale,
                                          std::int64_t chunkShift, std::string& why) {
  std::optional<ExpandedTrack> joined = Expand(a);
  std::optional<ExpandedTrack> more = Expand(b);
  const std::optional<std::vector<Edit>> editsA = ReadEdits(a.elst);
  const std::optional<std::vector<Edit>> editsB = ReadEdits(b.elst);
  const std::optional<Edit> mediaA = editsA ? MediaEdit(*editsA) : std::nullopt;
  const std::optional<Edit> mediaB = editsB ? MediaEdit(*editsB) : std::nullopt;
  if (!joined || !more) {
    why = "a sound track's sample tables do not agree with each other";
    return std::nullopt;
  }
  std::optional<AtomBytes> elst = GrowMediaEdit(a.elst, b.elst, false);
  if (!mediaA || !mediaB || !elst || movieScale == 0) {
    why = "a sound track's edit list has a form the join does not write";
    return std::nullopt;
  }

  // Where a's presented sound ends in its media; what lies behind is padding.
  const std::uint64_t endA =
      static_cast<std::uint64_t>(mediaA->mediaTime) +
      (std::uint64_t{mediaA->duration} * trackScale + movieScale / 2) / movieScale;
  DropBack(*joined, TrailingAfter(*joined, endA));
  const auto [priming, primingTime] =
      LeadingBefore(*more, static_cast<std::uint64_t>(mediaB->mediaTime));
  DropFront(*more, priming);
  // What is left of padding and priming inside the samples at the seam is
  // taken off a's last sample, so that b's sound starts on time.
  const std::uint64_t overlap = (joined->Duration() > endA ? joined->Duration() - endA : 0) +
                                (static_cast<std::uint64_t>(mediaB->mediaTime) - primingTime);
  if (!joined->deltas.empty() && joined->deltas.back() > overlap) {
    joined->deltas.back() -= static_cast<std::uint32_t>(overlap);
  }
  if (!AppendTrack(*joined, *more, chunkShift) || joined->Duration() > UINT32_MAX) {
    why = "a joined sample table or duration would overflow";
    return std::nullopt;
  }
  const CompactTables tables = CompactTrack(*joined);
  return SoundTables{tables.stts, tables.stsz, tables.stsc, tables.stco, std::move(*elst)};
}
