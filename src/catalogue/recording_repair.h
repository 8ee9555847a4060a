#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

enum class RepairError {
  kNone,
  kNotCutShort,        // the file is no recording cut short inside its media
  kNoReference,        // no healthy recording to take the sample descriptions from
  kReferenceMismatch,  // the reference given has another picture size or codec
  kNothingToRecover,   // the media ends inside the first picture
  kFailed,             // reading or writing failed
  kCancelled,
};

struct RepairResult {
  RepairError error = RepairError::kNone;
  std::string why;  // one line for a log or a terminal; empty on success
  std::filesystem::path reference;
  std::uint32_t pictures = 0;     // pictures in the repaired movie
  std::uint32_t soundFrames = 0;  // sound frames in it
  // The damaged media went on past the reference's interleave: the repair
  // holds only as much as the reference covers.
  bool outranReference = false;
};

struct RepairOptions {
  // The healthy recording to take the sample descriptions and interleave
  // from; empty: the nearest in the damaged file's folder that fits.
  std::filesystem::path reference;
  // Cleared by the caller to cancel.
  const std::atomic<bool>* running = nullptr;
};

// Where a repair is written by default: beside the damaged file, its name
// with "_repaired" before the extension.
std::filesystem::path RepairedPath(const std::filesystem::path& damaged);

// Repairs a recording that an impact cut short (it ends inside its media,
// without its movie index and sensor track) into a new movie at `output`:
// the pictures and sound frames that the damaged media holds whole, up to
// the last picture whose group is presented without a gap, with the
// reference's sample descriptions, durations and edit lists like the
// reference's, and a sensor track of the reference's header without
// records. The damaged file is only read; the output appears only when
// complete, and nothing of it remains after a failure or a cancel.
RepairResult Repair(const std::filesystem::path& damaged, const std::filesystem::path& output,
                    const RepairOptions& options = {});
