#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A stretch of the drive to keep as a clip: from a start picture in one
// recording of a source to an end picture in the same or a later one, the
// recordings between them following one another. The source's recordings
// are given in list order (as the file list or CollectSource has them);
// reading a stretch opens only the recordings it runs through (their
// headers and first sensor record), and for the recorder's clock every
// recording of the source.

// How far before and after a moment the stretch around it reaches, unless
// the settings say otherwise ("CLIP"/"BEFORE_SECONDS", "AFTER_SECONDS").
inline constexpr double kClipBeforeSeconds = 15;
inline constexpr double kClipAfterSeconds = 15;

// Two recordings follow one another when the second starts where the first
// ends (its start plus its pictures' length) within this much.
inline constexpr std::int64_t kFollowToleranceNs = 2'000'000'000;

enum class ClipError {
  kNone,
  kStartAfterEnd,   // the end comes before the start
  kNotConsecutive,  // a recording of the stretch does not follow the one before it
  kUnreadable,      // a recording is damaged, not a recorder movie, or not in the source
  kTooShort,        // the stretch is shorter than one picture
  kNotFound,        // no recording of the source holds the time asked for
  kFailed,          // the clip could not be made or written (the reason says which)
  kSizeOver,        // the clip would pass what the format's sizes and counts hold
  kCancelled,
};

// A picture of a recording: 0-based, in the order shown.
struct ClipMark {
  std::filesystem::path recording;
  std::int64_t picture = 0;
};

// A moment of a recording: the time from its first picture.
struct ClipMoment {
  std::filesystem::path recording;
  std::int64_t offsetNs = 0;
};

// The part of one recording that a clip shows: pictures first..last.
struct ClipPiece {
  std::filesystem::path recording;
  std::int64_t first = 0;
  std::int64_t last = 0;
};

struct ClipStretch {
  std::vector<ClipPiece> pieces;  // in the order shown, one per recording
  std::tm start{};                // the recorder's clock at the first picture (whole seconds)
  std::int64_t pictures = 0;      // pictures shown in all
  std::int64_t lengthNs = 0;      // how long they play
};

struct StretchResult {
  ClipError error = ClipError::kNone;
  std::string why;  // one line naming the recording and the cause; empty on success
  ClipStretch stretch;
};

// The picture of the moment's recording shown at that moment (a time a
// little early, rounded down on its way, still counts as that picture);
// nothing when the recording cannot be read or has no picture then.
std::optional<ClipMark> ClipMarkAt(const ClipMoment& moment);

// The stretch from picture `start` to picture `end`, both shown (the
// window's marks).
StretchResult StretchBetweenPictures(const std::vector<std::filesystem::path>& recordings,
                                     const ClipMark& start, const ClipMark& end);

// The stretch of the pictures shown from `from` until `to`: the picture
// shown at `from` to the last picture that begins before `to`.
StretchResult StretchBetweenMoments(const std::vector<std::filesystem::path>& recordings,
                                    const ClipMoment& from, const ClipMoment& to);

// The stretch from `beforeSeconds` before `moment` until `afterSeconds`
// after it, cut short where the run of recordings that follow one another
// around the moment's recording begins or ends.
StretchResult StretchAround(const std::vector<std::filesystem::path>& recordings,
                            const ClipMoment& moment, double beforeSeconds = kClipBeforeSeconds,
                            double afterSeconds = kClipAfterSeconds);

// The moment of the recorder's clock `clock` (local fields, read without a
// zone) plus `extraNs`: in the last recording, in list order, that starts at
// or before it and whose pictures still play then. Nothing, with the reason,
// when no recording of the source holds it.
std::optional<ClipMoment> MomentAtClock(const std::vector<std::filesystem::path>& recordings,
                                        const std::tm& clock, std::int64_t extraNs,
                                        std::string& why);

// The name a save dialog proposes for the clip: the first recording's name
// with "_clip" and the start time, "0612083000_A_clip_083102.MOV".
std::string ProposedClipName(const ClipStretch& stretch);
