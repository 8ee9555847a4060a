#include "catalogue/sound_seams.h"

#include <algorithm>

#include "catalogue/edit_lists.h"
#include "catalogue/expanded_track.h"

namespace {

// More samples than an hour of sound at 96 kHz has: the limit of the
// expanded tables.
constexpr std::size_t kMaxSamples = std::size_t{1} << 22;

std::optional<ExpandedTrack> Expand(const SoundTables& tables) {
  return ExpandTrack(tables.stts, tables.stsz, tables.stsc, tables.stco, kMaxSamples);
}

}  // namespace

std::size_t SamplesToDrop(std::int64_t late, std::uint32_t frame, std::size_t available) {
  const std::int64_t half = frame / 2;
  if (late <= half) return 0;
  const std::uint64_t drop = (static_cast<std::uint64_t>(late - half) + frame - 1) / frame;
  return static_cast<std::size_t>(std::min<std::uint64_t>(drop, available));
}

std::optional<SoundTables> JoinSoundTrack(const SoundTables& a, const SoundTables& b,
                                          std::uint32_t trackScale, std::uint32_t movieScale,
                                          std::uint32_t pictures, std::int64_t chunkShift,
                                          std::string& why) {
  std::optional<ExpandedTrack> joined = Expand(a);
  std::optional<ExpandedTrack> more = Expand(b);
  std::optional<std::vector<Edit>> editsA = ReadEdits(a.elst);
  const std::optional<std::vector<Edit>> editsB = ReadEdits(b.elst);
  const std::optional<Edit> mediaA = editsA ? MediaEdit(*editsA) : std::nullopt;
  const std::optional<Edit> mediaB = editsB ? MediaEdit(*editsB) : std::nullopt;
  if (!joined || !more || joined->deltas.empty()) {
    why = "a sound track's sample tables do not agree with each other";
    return std::nullopt;
  }
  if (!mediaA || !mediaB || movieScale == 0) {
    why = "a sound track's edit list has a form the join does not write";
    return std::nullopt;
  }

  // Every sample plays one frame, the first sample's time; a's last sample,
  // shorter in its table when the encoder padded it, too, now that b follows.
  const std::uint32_t frame = joined->deltas.front();
  joined->deltas.back() = frame;
  // b's sound must begin as far behind a's as b's pictures begin behind a's.
  const std::uint64_t seam = static_cast<std::uint64_t>(mediaA->mediaTime) +
                             (std::uint64_t{pictures} * trackScale + movieScale / 2) / movieScale;
  const std::int64_t late =
      static_cast<std::int64_t>(joined->Duration() +
                                static_cast<std::uint64_t>(mediaB->mediaTime)) -
      static_cast<std::int64_t>(seam);
  DropBack(*joined, SamplesToDrop(late, frame, joined->SampleCount() - 1));

  // a's edit now runs to where b's sound begins, behind b's priming, and
  // grows by b's.
  const std::uint64_t begins = joined->Duration() + static_cast<std::uint64_t>(mediaB->mediaTime);
  const std::uint64_t shown = begins > static_cast<std::uint64_t>(mediaA->mediaTime)
                                  ? begins - static_cast<std::uint64_t>(mediaA->mediaTime)
                                  : 0;
  editsA->back().duration = static_cast<std::uint32_t>(
      std::min<std::uint64_t>((shown * movieScale + trackScale / 2) / trackScale, UINT32_MAX));
  std::optional<AtomBytes> elst = GrowMediaEdit(WriteEdits(*editsA), b.elst, false);
  if (!elst) {
    why = "a sound track's edit list has a form the join does not write";
    return std::nullopt;
  }
  if (!AppendTrack(*joined, *more, chunkShift) || joined->Duration() > UINT32_MAX) {
    why = "a joined sample table or duration would overflow";
    return std::nullopt;
  }
  const CompactTables tables = CompactTrack(*joined);
  return SoundTables{tables.stts, tables.stsz, tables.stsc, tables.stco, std::move(*elst)};
}
