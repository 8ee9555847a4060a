#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "catalogue/join_merge.h"
#include "catalogue/output_file.h"

// Why a joined tree cannot be written.
enum class JoinLimit {
  kNone,
  kSizeOver,        // an atom would pass the 32-bit size the format holds
  kTooManyRecords,  // the sensor track's 16-bit count cannot hold the records
  kMediaMoved,      // the head's media would not keep its place in the output
};

// Checks, before anything is written, that the joined tree of `atoms` (the
// head of the join, rooted at `root`) can be written: every atom within
// 4 GiB, at most 65,535 sensor records, and the head's media at the same
// offset as in its file.
JoinLimit CheckJoinedTree(const AtomNode& root, const JoinAtoms& atoms);

// Told the bytes written so far, after each block of media copied.
using WriteProgress = std::function<void(std::uint64_t written)>;

// The size of the file that the joined tree rooted at `root` makes.
std::uint64_t JoinedTreeSize(const AtomNode& root);

// Writes the joined tree to `fd`: every atom's header with its size as
// written, copied leaf contents, the media of every joined file streamed
// from its file (the further files without their first 8 bytes), and one
// sensor track of all records. Returns false with the reason when a source
// cannot be read whole or the output cannot be written (a full disk), and
// false with `cancelled` set when `running` (if given) is cleared: it is
// looked at before every block of media copied. With `mediaInPlace`, the
// file already holds the media content at its place, and the writer passes
// over it.
bool WriteJoinedTree(const AtomNode& root, int fd, std::string& why,
                     const std::atomic<bool>* running = nullptr, bool* cancelled = nullptr,
                     const WriteProgress& progress = {}, bool mediaInPlace = false);

// Writes the tree to a temporary file in the output's folder and renames it
// into place, flushed to the disk first; refuses a tree that would not make
// a recorder movie (one the catalogue lists). A cancel while the media are
// copied sets `cancelled`; the temporary file goes with any failure.
bool WriteRecordingTree(const AtomNode& root, const std::filesystem::path& output,
                        const std::atomic<bool>* running, bool& cancelled, std::string& why,
                        const WriteProgress& progress = {});

// As WriteRecordingTree, into `file` (created for the output), which
// already holds the tree's media content at its place, written there while
// the tree was made: the atoms around the media are written over the rest,
// and the file is cut where the tree ends.
bool WriteAroundMedia(const AtomNode& root, OutputFile& file, const std::atomic<bool>* running,
                      bool& cancelled, std::string& why);
