#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "container/atom_node.h"
#include "container/file_view.h"
#include "container/sensor_records.h"

// One recording opened read-only: its atom tree, with the contents of the
// headers and sample tables copied, and the lists of the atoms the rest of
// the viewer needs. Other leaves, the media (`mdat`) and sensor (`udat`)
// payloads among them, are never copied, whatever their size fields say;
// their nodes keep offset and size so that a writer can stream them from
// the file.
class MovieFile {
 public:
  // The eleven lists, in this order.
  enum List : std::size_t {
    kMdat,
    kUdat,
    kStsz,
    kStco,
    kMdhd,
    kStss,
    kStts,
    kMvhd,
    kTkhd,
    kElst,
    kStsd
  };
  static constexpr std::array<std::string_view, 11> kListNames{
      "mdat", "udat", "stsz", "stco", "mdhd", "stss", "stts", "mvhd", "tkhd", "elst", "stsd"};

  // The walk refuses atoms nested deeper than this (or more atoms than
  // kMaxNodes in one file) instead of exhausting the stack or the memory.
  static constexpr std::int32_t kMaxDepth = 32;
  static constexpr std::size_t kMaxNodes = std::size_t{1} << 20;
  // The content of a leaf that the viewer reads (a header or a sample table)
  // is copied up to this size, and up to kMaxHeldBytes for all of a file's
  // leaves: a recording of an hour needs well under a megabyte. A larger
  // leaf, and every other leaf, stays in the file.
  static constexpr std::uint64_t kMaxHeldLeaf = 16 * 1024 * 1024;
  static constexpr std::uint64_t kMaxHeldBytes = 64 * 1024 * 1024;
  // The recording start is searched for in this much of each `udat`.
  static constexpr std::uint64_t kStartSearchLength = 5 * 1024 * 1024;

  // Opens and walks a file. examineRoot is set when the tree will be written
  // out again (the root then gets the leaf-or-container decision too).
  // Returns null when the file cannot be read; `error`, when given, then
  // says why in one line.
  static std::unique_ptr<MovieFile> Open(const std::filesystem::path& path, bool examineRoot,
                                         std::string* error = nullptr);

  MovieFile(const MovieFile&) = delete;
  MovieFile& operator=(const MovieFile&) = delete;
  ~MovieFile() { Close(); }

  // Clears the lists and the tree and closes the file.
  void Close();

  // Width and height of the first sample description (first `stsd` node,
  // content offsets 40 and 42); -1 each without one.
  struct FrameSize {
    std::int32_t width = -1;
    std::int32_t height = -1;
  };
  FrameSize GetFrameSize() const;

  // Sample count of the first time-to-sample entry (first `stts`); -1 without.
  std::int64_t FrameCount() const;

  // 90000 / the first entry's sample delta; -1 without an `stts` or with a
  // delta of 0.
  float FrameRate() const;

  // The local time of the first sensor record, found through the "CSMDAT"
  // marker in the first 5 MiB of each `udat`. An all-zero time when the
  // marker is followed by a record count of 0. Nothing when there is no
  // marker, the record is not there, or the file can no longer be read.
  std::optional<CalendarTime> RecordingStart();

  const std::filesystem::path& path() const { return *path_; }
  const std::vector<AtomNode*>& list(List which) const { return lists[which]; }

  std::uint64_t fileSize = 0;
  std::uint64_t totalSize = 0;  // the size at open
  AtomNode root;
  // Nodes by name in depth-first pre-order (a node before its children,
  // children in file order). The nodes belong to the tree.
  std::array<std::vector<AtomNode*>, 11> lists;

 private:
  MovieFile() = default;

  bool Walk(AtomNode& node, std::string* error);
  bool DecideContent(AtomNode& node, std::string* error);
  void FillLists(AtomNode& node);

  FileView file_;
  std::shared_ptr<const std::filesystem::path> path_;
  std::size_t nodeCount_ = 0;
  std::uint64_t heldBytes_ = 0;
};
