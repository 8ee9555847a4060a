#include "catalogue/clip_stretch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "catalogue/recording_check.h"
#include "container/movie_file.h"
#include "container/picture_table.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kSecondNs = 1'000'000'000;

// What a stretch needs to know of a recording: where its pictures begin on
// the recorder's clock and how they are timed.
struct TimedRecording {
  std::int64_t startNs = 0;  // the recorder's clock of record 0, read without a zone
  PictureTable pictures;
  std::int64_t lengthNs = 0;
};

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return a == b || fs::equivalent(a, b, error);
}

// The source's recordings, each read when first asked for.
class Timeline {
 public:
  explicit Timeline(const std::vector<fs::path>& recordings)
      : recordings_(recordings), read_(recordings.size()), why_(recordings.size()) {}

  std::size_t size() const { return recordings_.size(); }
  const fs::path& path(std::size_t i) const { return recordings_[i]; }

  std::optional<std::size_t> IndexOf(const fs::path& recording) const {
    for (std::size_t i = 0; i < recordings_.size(); ++i) {
      if (SameFile(recordings_[i], recording)) return i;
    }
    return std::nullopt;
  }

  // The recording's timing; null, with the reason, when it cannot be read.
  const TimedRecording* Read(std::size_t i, std::string& why) {
    if (!read_[i] && why_[i].empty()) Load(i);
    why = why_[i];
    return read_[i] ? &*read_[i] : nullptr;
  }

  // True when recording i (i > 0) starts where recording i - 1 ends; the
  // reason when not.
  bool Follows(std::size_t i, std::string& why) {
    const TimedRecording* before = Read(i - 1, why);
    const TimedRecording* after = before != nullptr ? Read(i, why) : nullptr;
    if (after == nullptr) return false;
    const std::int64_t gap = after->startNs - (before->startNs + before->lengthNs);
    if (std::abs(gap) <= kFollowToleranceNs) return true;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%+.1f", static_cast<double>(gap) / kSecondNs);
    why = path(i).filename().string() + " does not follow " + path(i - 1).filename().string() +
          ": it starts " + seconds + " s from where the other ends";
    return false;
  }

 private:
  void Load(std::size_t i) {
    const std::string name = recordings_[i].string();
    if (!IsRecording(recordings_[i])) {
      why_[i] = name + ": cannot be read or is not a recorder movie";
      return;
    }
    std::string error;
    const std::unique_ptr<MovieFile> movie = MovieFile::Open(recordings_[i], false, &error);
    std::optional<CalendarTime> start = movie ? movie->RecordingStart() : std::nullopt;
    std::optional<PictureTable> pictures = movie ? ReadPictureTable(*movie) : std::nullopt;
    if (!movie) {
      why_[i] = name + ": " + error;
    } else if (!start || *start == CalendarTime{}) {
      why_[i] = name + ": its sensor track gives no start time";
    } else if (!pictures) {
      why_[i] = name + ": its picture track cannot be read";
    } else {
      std::tm clock = start->ToTm();
      TimedRecording timed;
      timed.startNs = static_cast<std::int64_t>(timegm(&clock)) * kSecondNs;
      timed.pictures = std::move(*pictures);
      timed.lengthNs = timed.pictures.StartNs(timed.pictures.count);
      read_[i] = std::move(timed);
    }
  }

  const std::vector<fs::path>& recordings_;
  std::vector<std::optional<TimedRecording>> read_;
  std::vector<std::string> why_;
};

StretchResult Refuse(ClipError error, std::string why) {
  StretchResult result;
  result.error = error;
  result.why = std::move(why);
  return result;
}

std::string Seconds(std::int64_t ns) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", static_cast<double>(ns) / kSecondNs);
  return text;
}

// The last picture that begins before `ns`; -1 when none does.
std::int64_t LastPictureBefore(const PictureTable& table, std::int64_t ns) {
  std::int64_t picture = std::min(table.PictureAt(ns), table.count);
  while (picture >= 0 && table.StartNs(picture) >= ns) --picture;
  return picture;
}

// Finds the recording of `recording` and reads it.
bool Locate(Timeline& timeline, const fs::path& recording, std::size_t& index,
            const TimedRecording*& timed, StretchResult& refused) {
  const std::optional<std::size_t> found = timeline.IndexOf(recording);
  if (!found) {
    refused =
        Refuse(ClipError::kUnreadable, recording.string() + " is not a recording of the source");
    return false;
  }
  std::string why;
  timed = timeline.Read(*found, why);
  if (timed == nullptr) {
    refused = Refuse(ClipError::kUnreadable, why);
    return false;
  }
  index = *found;
  return true;
}

// Finds both ends' recordings in the timeline; false with the refusal
// otherwise.
struct Ends {
  std::size_t first = 0, last = 0;
  const TimedRecording* head = nullptr;
  const TimedRecording* tail = nullptr;
};
bool LocateEnds(Timeline& timeline, const fs::path& start, const fs::path& end, Ends& ends,
                StretchResult& refused) {
  return Locate(timeline, start, ends.first, ends.head, refused) &&
         Locate(timeline, end, ends.last, ends.tail, refused);
}

// The stretch from picture `first` of recording `from` to picture `last` of
// recording `to`, when the recordings between follow one another.
StretchResult Build(Timeline& timeline, std::size_t from, std::int64_t first, std::size_t to,
                    std::int64_t last) {
  StretchResult result;
  std::string why;
  for (std::size_t i = from + 1; i <= to; ++i) {
    if (!timeline.Follows(i, why)) {
      std::string unreadable;
      const bool read =
          timeline.Read(i - 1, unreadable) != nullptr && timeline.Read(i, unreadable) != nullptr;
      return Refuse(read ? ClipError::kNotConsecutive : ClipError::kUnreadable,
                    read ? why : unreadable);
    }
  }
  for (std::size_t i = from; i <= to; ++i) {
    const TimedRecording& timed = *timeline.Read(i, why);
    ClipPiece piece{timeline.path(i), i == from ? first : 0,
                    i == to ? last : timed.pictures.count - 1};
    result.stretch.pictures += piece.last - piece.first + 1;
    result.stretch.lengthNs +=
        timed.pictures.StartNs(piece.last + 1) - timed.pictures.StartNs(piece.first);
    result.stretch.pieces.push_back(std::move(piece));
  }
  const TimedRecording& head = *timeline.Read(from, why);
  const auto seconds =
      static_cast<std::time_t>((head.startNs + head.pictures.StartNs(first)) / kSecondNs);
  gmtime_r(&seconds, &result.stretch.start);
  return result;
}

// The stretch of the pictures shown from `t0` into recording `from` until
// `t1` into recording `to`.
StretchResult FromMoments(Timeline& timeline, std::size_t from, std::int64_t t0, std::size_t to,
                          std::int64_t t1) {
  std::string why;
  const TimedRecording& head = *timeline.Read(from, why);
  const TimedRecording& tail = *timeline.Read(to, why);
  if (t0 < 0 || t0 >= head.lengthNs) {
    return Refuse(ClipError::kNotFound, timeline.path(from).string() + " has no picture " +
                                            Seconds(t0) + " from its start");
  }
  if (t1 < 0 || t1 > tail.lengthNs) {
    return Refuse(ClipError::kNotFound,
                  timeline.path(to).string() + " ends before " + Seconds(t1) + " from its start");
  }
  if (to < from || (to == from && t1 <= t0)) {
    return Refuse(ClipError::kStartAfterEnd, "the end does not come after the start");
  }
  std::int64_t length = t1 - t0;
  for (std::size_t i = from; i < to; ++i) {
    const TimedRecording* timed = timeline.Read(i, why);
    if (timed == nullptr) return Refuse(ClipError::kUnreadable, why);
    length += timed->lengthNs;
  }
  if (length < head.pictures.LengthNs()) {
    return Refuse(ClipError::kTooShort,
                  "the stretch lasts " + Seconds(length) + ", less than one picture");
  }
  const std::int64_t first = std::min(head.pictures.PictureAt(t0), head.pictures.count - 1);
  std::int64_t last = LastPictureBefore(tail.pictures, t1);
  if (last < 0) {
    // The stretch ends where recording `to` begins: at the end of the one before.
    --to;
    const TimedRecording* before = timeline.Read(to, why);
    if (before == nullptr) return Refuse(ClipError::kUnreadable, why);
    last = before->pictures.count - 1;
  }
  return Build(timeline, from, first, to, last);
}

}  // namespace

std::optional<ClipMark> ClipMarkAt(const ClipMoment& moment) {
  const std::vector<fs::path> recordings = {moment.recording};
  Timeline timeline(recordings);
  std::string why;
  const TimedRecording* timed = timeline.Read(0, why);
  if (timed == nullptr || moment.offsetNs < 0) return std::nullopt;
  const std::int64_t picture = timed->pictures.PictureAt(moment.offsetNs);
  if (picture >= timed->pictures.count) return std::nullopt;
  return ClipMark{moment.recording, picture};
}

StretchResult StretchBetweenPictures(const std::vector<fs::path>& recordings, const ClipMark& start,
                                     const ClipMark& end) {
  Timeline timeline(recordings);
  StretchResult refused;
  Ends ends;
  if (!LocateEnds(timeline, start.recording, end.recording, ends, refused)) return refused;
  const std::size_t from = ends.first, to = ends.last;
  for (const auto& [mark, timed] : {std::pair{&start, ends.head}, std::pair{&end, ends.tail}}) {
    if (mark->picture < 0 || mark->picture >= timed->pictures.count) {
      return Refuse(ClipError::kNotFound,
                    mark->recording.string() + " has no picture " + std::to_string(mark->picture));
    }
  }
  if (to < from || (to == from && end.picture < start.picture)) {
    return Refuse(ClipError::kStartAfterEnd, "the end picture comes before the start picture");
  }
  return Build(timeline, from, start.picture, to, end.picture);
}

StretchResult StretchBetweenMoments(const std::vector<fs::path>& recordings, const ClipMoment& from,
                                    const ClipMoment& to) {
  Timeline timeline(recordings);
  StretchResult refused;
  Ends ends;
  if (!LocateEnds(timeline, from.recording, to.recording, ends, refused)) return refused;
  return FromMoments(timeline, ends.first, from.offsetNs, ends.last, to.offsetNs);
}

StretchResult StretchAround(const std::vector<fs::path>& recordings, const ClipMoment& moment,
                            double beforeSeconds, double afterSeconds) {
  Timeline timeline(recordings);
  StretchResult refused;
  std::size_t at = 0;
  const TimedRecording* timed = nullptr;
  if (!Locate(timeline, moment.recording, at, timed, refused)) return refused;
  const std::int64_t offset = std::clamp<std::int64_t>(moment.offsetNs, 0, timed->lengthNs);
  std::string why;
  std::size_t from = at;
  std::int64_t t0 = offset - static_cast<std::int64_t>(std::max(beforeSeconds, 0.0) * 1e9);
  while (t0 < 0) {
    if (from > 0 && timeline.Follows(from, why)) {
      --from;
      t0 += timeline.Read(from, why)->lengthNs;
    } else {
      t0 = 0;
    }
  }
  std::size_t to = at;
  std::int64_t t1 = offset + static_cast<std::int64_t>(std::max(afterSeconds, 0.0) * 1e9);
  for (std::int64_t length = timed->lengthNs; t1 > length;) {
    if (to + 1 < timeline.size() && timeline.Follows(to + 1, why)) {
      t1 -= length;
      length = timeline.Read(++to, why)->lengthNs;
    } else {
      t1 = length;
    }
  }
  return FromMoments(timeline, from, t0, to, t1);
}

std::optional<ClipMoment> MomentAtClock(const std::vector<fs::path>& recordings,
                                        const std::tm& clock, std::int64_t extraNs,
                                        std::string& why) {
  std::tm copy = clock;
  const std::int64_t wanted = static_cast<std::int64_t>(timegm(&copy)) * kSecondNs + extraNs;
  Timeline timeline(recordings);
  std::optional<ClipMoment> found;
  for (std::size_t i = 0; i < timeline.size(); ++i) {
    std::string unreadable;
    const TimedRecording* timed = timeline.Read(i, unreadable);
    if (timed != nullptr && timed->startNs <= wanted && wanted < timed->startNs + timed->lengthNs) {
      found = ClipMoment{timeline.path(i), wanted - timed->startNs};
    }
  }
  if (!found) {
    char text[32];
    why = "no recording of the source plays at " +
          std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &copy));
  }
  return found;
}

std::string ProposedClipName(const ClipStretch& stretch) {
  if (stretch.pieces.empty()) return {};
  const fs::path& first = stretch.pieces.front().recording;
  char time[16];
  const std::size_t length = std::strftime(time, sizeof time, "%H%M%S", &stretch.start);
  return first.stem().string() + "_clip_" + std::string(time, length) + first.extension().string();
}
