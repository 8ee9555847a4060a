#include "catalogue/edit_lists.h"

namespace {

constexpr std::size_t kHeader = 8;  // version and flags, entry count
constexpr std::size_t kEntrySize = 12;
constexpr std::int32_t kEmpty = -1;
constexpr std::uint32_t kNormalRate = 0x10000;

// The index of the one media edit behind the empty edits, when that is the
// list's shape.
std::optional<std::size_t> MediaEditIndex(const std::vector<Edit>& edits) {
  std::size_t at = 0;
  while (at < edits.size() && edits[at].mediaTime == kEmpty) ++at;
  if (at + 1 != edits.size() || edits[at].mediaTime < 0 || edits[at].rate != kNormalRate) {
    return std::nullopt;
  }
  return at;
}

}  // namespace

std::optional<std::vector<Edit>> ReadEdits(const AtomBytes& elst) {
  const std::optional<std::uint32_t> count = EntryCount(elst, kEntrySize);
  if (!count || elst[0] != 0) return std::nullopt;
  std::vector<Edit> edits(*count);
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const std::size_t at = kHeader + i * kEntrySize;
    edits[i] = {ReadWord(elst, at), static_cast<std::int32_t>(ReadWord(elst, at + 4)),
                ReadWord(elst, at + 8)};
  }
  return edits;
}

AtomBytes WriteEdits(const std::vector<Edit>& edits) {
  AtomBytes elst(kHeader + edits.size() * kEntrySize, 0);
  WriteWord(elst, 4, static_cast<std::uint32_t>(edits.size()));
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const std::size_t at = kHeader + i * kEntrySize;
    WriteWord(elst, at, edits[i].duration);
    WriteWord(elst, at + 4, static_cast<std::uint32_t>(edits[i].mediaTime));
    WriteWord(elst, at + 8, edits[i].rate);
  }
  return elst;
}

std::optional<Edit> MediaEdit(const std::vector<Edit>& edits) {
  const std::optional<std::size_t> at = MediaEditIndex(edits);
  if (!at) return std::nullopt;
  return edits[*at];
}

std::optional<AtomBytes> GrowMediaEdit(const AtomBytes& a, const AtomBytes& b, bool sameStart) {
  std::optional<std::vector<Edit>> editsA = ReadEdits(a);
  const std::optional<std::vector<Edit>> editsB = ReadEdits(b);
  if (!editsA || !editsB) return std::nullopt;
  const std::optional<std::size_t> media = MediaEditIndex(*editsA);
  if (!media || MediaEditIndex(*editsB) != media) return std::nullopt;
  for (std::size_t i = 0; i < *media; ++i) {
    if ((*editsA)[i] != (*editsB)[i]) return std::nullopt;
  }
  Edit& grown = (*editsA)[*media];
  const Edit& more = (*editsB)[*media];
  const std::uint64_t duration = std::uint64_t{grown.duration} + more.duration;
  if ((sameStart && more.mediaTime != grown.mediaTime) || duration > UINT32_MAX) {
    return std::nullopt;
  }
  grown.duration = static_cast<std::uint32_t>(duration);
  return WriteEdits(*editsA);
}
