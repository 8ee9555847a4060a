#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

// One atom of a movie file's tree. The root node stands for the whole file:
// empty name, content offset 0, content size = the file's size.
//
// A node owns its children (by value, in file order) and the copy of its
// content when it is a raw leaf. The join links nodes of other files into a
// tree through joinedHead/joinedNext; those pointers do not own: the other
// files' MovieFile objects stay open while the joined tree is in use.
struct AtomNode {
  std::int32_t depth = 0;  // 0 for the root, 1 for the top-level atoms, +1 per level
  // The copied content of a raw leaf that the viewer or the join reads (the
  // headers and sample tables); empty for containers, for a container cut by
  // a bad child, and for every other leaf, `mdat` and `udat` among them,
  // whose content stays in the file (ContentInFile). Its size is the number
  // of bytes held (dataLength).
  std::vector<std::uint8_t> data;
  std::vector<AtomNode> children;
  bool isRaw = false;          // the content is not a sequence of atoms
  std::array<char, 5> name{};  // four characters and a terminating zero
  std::shared_ptr<const std::filesystem::path> sourcePath;  // the file it was read from
  std::uint64_t size = 0;        // content size (atom size - 8); grows when atoms are joined
  std::uint64_t offset = 0;      // file offset of the content (atom start + 8)
  std::uint64_t readSize = 0;    // content size as read
  std::uint64_t readOffset = 0;  // content offset as read
  // `udat` only: the record count and the bytes it covers (count x 124,
  // and count x 124 + 40 for the whole payload).
  std::uint64_t recordBytes = 0;
  std::uint64_t trackSize = 0;
  std::uint64_t recordCount = 0;
  std::uint64_t joinedRecordCount = 0;  // 0 at read; running total during a join
  AtomNode* joinedHead = nullptr;       // first node appended from another file
  // In the node that owns the appended list: the list's last node; in an
  // appended node: the next appended node.
  AtomNode* joinedNext = nullptr;

  std::string_view Name() const { return std::string_view(name.data(), 4); }

  // A leaf whose content was not copied: a writer streams its readSize bytes
  // at readOffset from sourcePath.
  bool ContentInFile() const { return isRaw && data.empty() && children.empty() && size > 0; }

  // A container whose walk stopped at a bad or unknown child: neither its
  // children nor a copy hold its whole content.
  bool IsCut() const { return isRaw && !children.empty(); }
};
