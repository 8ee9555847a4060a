#include "container/movie_file.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "container/big_endian.h"
#include "container/known_atom_table.h"
#include "container/sensor_record_decoder.h"

namespace {

constexpr std::uint64_t kAtomHeaderSize = 8;
// A `udat` header window reaches its 16-bit record count at atom start + 40.
constexpr std::uint64_t kUdatCountAt = kAtomHeaderSize + kSensorCountOffset;

std::string_view NameAt(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data() + at), 4);
}

// The leaves whose content the viewer and the join read.
bool IsReadLeaf(std::string_view name) {
  static constexpr std::string_view kNames[] = {"stsd", "stts", "stsz", "stco", "stss",
                                                "stsc", "ctts", "sdtp", "mdhd", "mvhd",
                                                "tkhd", "elst", "hdlr"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

void SetError(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
}

}  // namespace

std::unique_ptr<MovieFile> MovieFile::Open(const std::filesystem::path& path, bool examineRoot,
                                           std::string* error) {
  std::unique_ptr<MovieFile> movie(new MovieFile());
  std::string why;
  if (!movie->file_.Open(path, &why)) {
    SetError(error, why);
    return nullptr;
  }
  movie->path_ = std::make_shared<const std::filesystem::path>(path);
  movie->fileSize = movie->file_.Size();
  movie->totalSize = movie->fileSize;

  AtomNode& root = movie->root;
  root.depth = 0;
  root.offset = 0;
  root.size = movie->fileSize;
  root.readOffset = 0;
  root.readSize = movie->fileSize;
  root.sourcePath = movie->path_;
  if (examineRoot && !movie->DecideContent(root, error)) return nullptr;
  if (!movie->Walk(root, error)) return nullptr;
  movie->FillLists(root);
  return movie;
}

void MovieFile::Close() {
  for (std::vector<AtomNode*>& nodes : lists) nodes.clear();
  file_.Close();
  fileSize = 0;
  root = AtomNode{};
  nodeCount_ = 0;
  heldBytes_ = 0;
}

// Walks the atoms inside `node`. Every child header is checked against the
// bytes left in its container before anything else is read: a header that
// does not fit, a size below 8 (0, or 1 for the 64-bit form the recorder
// never writes) or a size past the container's end cuts the container there,
// as an unknown name does. The children read so far stay; the container is
// marked raw.
bool MovieFile::Walk(AtomNode& node, std::string* error) {
  const KnownAtomTable& known = KnownAtomTable::Shared();
  const std::uint64_t end = node.offset + node.size;
  std::uint64_t position = node.offset;
  while (position < end) {
    if (end - position < kAtomHeaderSize) {
      node.isRaw = true;
      return true;
    }
    std::span<const std::uint8_t> window;
    if (!file_.Map(position, std::min(end - position, kUdatCountAt + 2), &window)) {
      SetError(error, "cannot read the atom header at offset " + std::to_string(position));
      return false;
    }
    const std::string_view name = NameAt(window, 4);
    const bool isUdat = name == "udat";
    if (!isUdat && !known.Contains(name)) {
      node.isRaw = true;
      return true;
    }
    const std::uint32_t atomSize = ReadBigEndian32(window.data());
    if (atomSize < kAtomHeaderSize || atomSize > end - position) {
      node.isRaw = true;
      return true;
    }
    if (++nodeCount_ > kMaxNodes) {
      SetError(error, "more than " + std::to_string(kMaxNodes) + " atoms");
      return false;
    }

    AtomNode child;
    child.depth = node.depth + 1;
    if (child.depth > kMaxDepth) {
      SetError(error, "atoms nested deeper than " + std::to_string(kMaxDepth) + " levels");
      return false;
    }
    std::copy(name.begin(), name.end(), child.name.begin());
    child.size = atomSize - kAtomHeaderSize;
    child.offset = position + kAtomHeaderSize;
    child.readSize = child.size;
    child.readOffset = child.offset;
    child.sourcePath = path_;
    if (isUdat) {
      // Only whole records inside the atom count, whatever the count claims.
      const std::uint64_t claimed =
          window.size() >= kUdatCountAt + 2 ? ReadBigEndian16(window.data() + kUdatCountAt) : 0;
      child.recordCount = std::min(claimed, SensorRecordsThatFit(child.size));
      child.recordBytes = child.recordCount * kSensorRecordSize;
      child.trackSize = child.recordBytes + kSensorRecordsOffset + 6;
      child.joinedRecordCount = 0;
    }
    if (!DecideContent(child, error)) return false;
    // A leaf's content does not start with a known name, so walking it
    // would only mark it raw again.
    if (atomSize > 12 && !child.isRaw && !Walk(child, error)) return false;
    node.children.push_back(std::move(child));
    position += atomSize;
  }
  return true;
}

// An atom is a container exactly when its content begins with an atom header
// whose name is known; otherwise it is a raw leaf, whose content is copied
// when it is a header or sample table within the size limits. `mdat` and
// `udat` are never copied.
bool MovieFile::DecideContent(AtomNode& node, std::string* error) {
  const std::string_view name = node.Name();
  if (name == "mdat" || name == "udat") return true;
  if (node.size >= kAtomHeaderSize) {
    std::span<const std::uint8_t> head;
    if (!file_.Map(node.offset, kAtomHeaderSize, &head)) {
      SetError(error, "cannot read the atom content at offset " + std::to_string(node.offset));
      return false;
    }
    if (KnownAtomTable::Shared().Contains(NameAt(head, 4))) return true;
  }
  node.isRaw = true;
  if (!IsReadLeaf(name) || node.size > kMaxHeldLeaf || node.size > kMaxHeldBytes - heldBytes_) {
    return true;
  }
  node.data.resize(node.size);
  if (!file_.ReadExact(node.offset, node.data)) {
    SetError(error, "cannot read the atom content at offset " + std::to_string(node.offset));
    return false;
  }
  heldBytes_ += node.size;
  return true;
}

void MovieFile::FillLists(AtomNode& node) {
  for (std::size_t i = 0; i < kListNames.size(); ++i) {
    if (node.Name() == kListNames[i]) lists[i].push_back(&node);
  }
  for (AtomNode& child : node.children) FillLists(child);
}

MovieFile::FrameSize MovieFile::GetFrameSize() const {
  if (lists[kStsd].empty()) return {};
  const std::vector<std::uint8_t>& data = lists[kStsd].front()->data;
  if (data.size() < 44) return {};
  return {ReadBigEndian16(data.data() + 40), ReadBigEndian16(data.data() + 42)};
}

std::int64_t MovieFile::FrameCount() const {
  if (lists[kStts].empty()) return -1;
  const std::vector<std::uint8_t>& data = lists[kStts].front()->data;
  if (data.size() < 12) return -1;
  return ReadBigEndian32(data.data() + 8);
}

float MovieFile::FrameRate() const {
  if (lists[kStts].empty()) return -1.0f;
  const std::vector<std::uint8_t>& data = lists[kStts].front()->data;
  if (data.size() < 16) return -1.0f;
  const std::uint32_t delta = ReadBigEndian32(data.data() + 12);
  if (delta == 0) return -1.0f;
  return 90000.0f / static_cast<float>(delta);
}

std::optional<CalendarTime> MovieFile::RecordingStart() {
  constexpr std::string_view kMarker = "CSMDAT";
  for (const AtomNode* node : lists[kUdat]) {
    if (node->offset >= fileSize) continue;
    std::span<const std::uint8_t> window;
    if (!file_.Map(node->offset, kStartSearchLength, &window)) return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(window.data()), window.size());
    const std::size_t hit = text.find(kMarker);
    if (hit == std::string_view::npos) continue;
    const std::span<const std::uint8_t> payload = window.subspan(hit);
    if (payload.size() < kSensorRecordsOffset) return std::nullopt;
    if (ReadBigEndian16(payload.data() + kSensorCountOffset) == 0) return CalendarTime{};
    if (payload.size() < kSensorRecordsOffset + kSensorRecordSize) return std::nullopt;
    return DecodeRecordTime(payload.subspan<kSensorRecordsOffset, kSensorRecordSize>());
  }
  return std::nullopt;
}
