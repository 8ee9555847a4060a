// Clips of generated drives: every picture from the start to the end picture
// decoded once in order by ffmpeg and GStreamer, the sensor records of the
// stretch kept byte for byte, the beeps of the recordings with their
// pictures; the stretches around a moment; and every refusal with its
// reason and nothing written.
#include "catalogue/recording_clip.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>

#include "catalogue/recording_check.h"
#include "decoded_movie.h"
#include "scratch_mount.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr std::size_t kRecordSize = 124;

std::vector<fs::path> Card(const fs::path& folder, std::vector<std::string> more) {
  std::vector<std::string> options = {"--folders", "1", "--files", "3",
                                      "--seconds", "2", "--size",  "160x120"};
  options.insert(options.end(), more.begin(), more.end());
  return GenerateRecordings(folder, options);
}

// The sensor records of a recorder file, with the count field and the
// atom's size checked against them.
std::vector<std::uint8_t> SensorRecords(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = FileBytes(path);
  for (std::size_t at = 0; at + 8 <= bytes.size();) {
    const std::size_t size = (std::size_t{bytes[at]} << 24) | (bytes[at + 1] << 16) |
                             (bytes[at + 2] << 8) | bytes[at + 3];
    if (size < 8 || at + size > bytes.size()) break;
    if (std::string(bytes.begin() + at + 4, bytes.begin() + at + 8) == "udat") {
      const std::size_t count = (bytes[at + 40] << 8) | bytes[at + 41];
      EXPECT_EQ(size, 8 + 40 + kRecordSize * count) << path;
      return {bytes.begin() + at + 42, bytes.begin() + at + 42 + kRecordSize * count};
    }
    at += size;
  }
  ADD_FAILURE() << path << " has no sensor atom";
  return {};
}

// The record that the tenth of a second picture `picture` begins in holds.
std::size_t RecordOf(int picture, int fpsNum, int fpsDen) {
  return static_cast<std::size_t>(std::int64_t{picture} * fpsDen * 10 / fpsNum);
}

struct Span {
  int fromRecording, fromPicture, toRecording, toPicture;
};

TEST(RecordingClip, EveryPictureFromStartToEndOnceWithItsRecords) {
  // Inside one recording, across two and across three; the start and end
  // pictures in the middle of a group of pictures (a keyframe every 30).
  const Span spans[] = {{1, 13, 1, 41}, {0, 22, 1, 44}, {0, 52, 2, 14}};
  const struct {
    const char* fps;
    int num, den, frames;  // frames of each recording
  } rates[] = {{"30", 30, 1, 60}, {"29.97", 30000, 1001, 60}};
  TempDir dir;
  for (const auto& rate : rates) {
    const std::vector<fs::path> card = Card(dir.path() / rate.fps, {"--fps", rate.fps});
    ASSERT_EQ(card.size(), 3u);
    for (const Span& span : spans) {
      SCOPED_TRACE(std::string(rate.fps) + " fps, " + std::to_string(span.fromRecording) + ":" +
                   std::to_string(span.fromPicture) + " to " + std::to_string(span.toRecording) +
                   ":" + std::to_string(span.toPicture));
      const StretchResult stretch =
          StretchBetweenPictures(card, {card[span.fromRecording], span.fromPicture},
                                 {card[span.toRecording], span.toPicture});
      ASSERT_EQ(stretch.error, ClipError::kNone) << stretch.why;
      const fs::path output = dir.path() / "clip.MOV";
      const ClipResult result = WriteClip(stretch.stretch, output);
      ASSERT_EQ(result.error, ClipError::kNone) << result.why;
      EXPECT_TRUE(IsRecording(output));

      std::vector<int> pictures;
      std::vector<std::uint8_t> records;
      for (int r = span.fromRecording; r <= span.toRecording; ++r) {
        const int first = r == span.fromRecording ? span.fromPicture : 0;
        const int last = r == span.toRecording ? span.toPicture : rate.frames - 1;
        for (int p = first; p <= last; ++p) pictures.push_back(r * 65536 + p);
        const std::vector<std::uint8_t> source = SensorRecords(card[r]);
        const std::size_t count = source.size() / kRecordSize;
        const std::size_t from = RecordOf(first, rate.num, rate.den);
        const std::size_t to = std::min(RecordOf(last, rate.num, rate.den), count - 1);
        records.insert(records.end(), source.begin() + from * kRecordSize,
                       source.begin() + (to + 1) * kRecordSize);
      }
      EXPECT_EQ(stretch.stretch.pictures, static_cast<std::int64_t>(pictures.size()));
      EXPECT_EQ(FfmpegBarcodes(output, kWidth, kHeight), pictures) << "ffmpeg";
      EXPECT_EQ(GstreamerBarcodes(output, dir.path() / "v.raw", kWidth, kHeight), pictures)
          << "GStreamer";
      EXPECT_EQ(SensorRecords(output), records);
      fs::remove(output);
    }
  }
}

TEST(RecordingClip, BeepsStayWithTheirPictures) {
  TempDir dir;
  for (const std::string fps : {"30", "29.97"}) {
    SCOPED_TRACE(fps + " fps");
    const std::vector<fs::path> card =
        GenerateRecordings(dir.path() / fps, {"--folders", "1", "--files", "3", "--seconds", "1",
                                              "--size", "160x120", "--beep", "--fps", fps});
    ASSERT_EQ(card.size(), 3u);
    // From picture 10 of the first recording to picture 20 of the third: the
    // second and third recordings' beeps start with their first pictures.
    const StretchResult stretch = StretchBetweenPictures(card, {card[0], 10}, {card[2], 20});
    ASSERT_EQ(stretch.error, ClipError::kNone) << stretch.why;
    const fs::path output = dir.path() / "beeps.MOV";
    ASSERT_EQ(WriteClip(stretch.stretch, output).error, ClipError::kNone);
    const double picture = fps == "30" ? 1.0 / 30 : 1001.0 / 30000;
    const double expected[] = {20 * picture, 50 * picture};
    const std::pair<const char*, std::vector<double>> decoded[] = {
        {"ffmpeg", BeepStarts(FfmpegSound(output))},
        {"GStreamer", BeepStarts(GstreamerSound(output, dir.path() / "a.raw"))}};
    for (const auto& [decoder, starts] : decoded) {
      ASSERT_EQ(starts.size(), 2u) << decoder;
      for (std::size_t k = 0; k < 2; ++k)
        EXPECT_NEAR(starts[k], expected[k], kAudioFrame) << decoder;
    }
  }
}

TEST(RecordingClip, AroundAMomentCutShortWhereTheDriveStops) {
  TempDir dir;
  // Two drives of three recordings each, on days of their own.
  const std::vector<fs::path> card =
      GenerateRecordings(dir.path() / "card",
                         {"--folders", "2", "--files", "3", "--seconds", "2", "--size", "160x120"});
  ASSERT_EQ(card.size(), 6u);
  const struct {
    std::size_t recording;
    double at, before, after;
    std::vector<ClipPiece> pieces;
  } cases[] = {
      {1, 1.0, 0.5, 0.5, {{card[1], 15, 44}}},
      {1, 1.0, 1.5, 1.5, {{card[0], 45, 59}, {card[1], 0, 59}, {card[2], 0, 14}}},
      {1, 1.0, 15, 15, {{card[0], 0, 59}, {card[1], 0, 59}, {card[2], 0, 59}}},
      {3, 0.2, 15, 0.8, {{card[3], 0, 29}}},
      {2, 1.9, 0.1, 15, {{card[2], 54, 59}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.recording) + " at " + std::to_string(c.at));
    const StretchResult result = StretchAround(
        card, {card[c.recording], static_cast<std::int64_t>(c.at * 1e9)}, c.before, c.after);
    ASSERT_EQ(result.error, ClipError::kNone) << result.why;
    ASSERT_EQ(result.stretch.pieces.size(), c.pieces.size());
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      EXPECT_EQ(result.stretch.pieces[i].recording, c.pieces[i].recording) << i;
      EXPECT_EQ(result.stretch.pieces[i].first, c.pieces[i].first) << i;
      EXPECT_EQ(result.stretch.pieces[i].last, c.pieces[i].last) << i;
    }
  }
  const StretchResult first = StretchAround(card, {card[1], 1'000'000'000}, 1.5, 1.5);
  EXPECT_EQ(ProposedClipName(first.stretch), "0612083000_A_clip_083001.MOV");
  // The window's marks: the picture shown at a moment of the player.
  const struct {
    std::int64_t ns;
    std::optional<std::int64_t> picture;
  } marks[] = {{0, 0}, {999'999'999, 30}, {1'020'000'000, 30}, {1'999'000'000, 59},
               {2'000'000'000, std::nullopt}};
  for (const auto& mark : marks) {
    const std::optional<ClipMark> shown = ClipMarkAt({card[1], mark.ns});
    EXPECT_EQ(shown ? std::optional(shown->picture) : std::nullopt, mark.picture) << mark.ns;
  }
}

// Clears the running flag at the first progress message.
class CancelAtFirstProgress : public MessageSink {
 public:
  std::atomic<bool> running{true};
  void Post(int message, std::intptr_t, std::intptr_t) override {
    if (message == ClipOptions::kProgress) running = false;
  }
};

TEST(RecordingClip, RefusalsSayWhyAndWriteNothing) {
  TempDir dir;
  const std::vector<fs::path> card =
      GenerateRecordings(dir.path() / "card",
                         {"--folders", "2", "--files", "2", "--seconds", "2", "--size", "160x120"});
  ASSERT_EQ(card.size(), 4u);
  const fs::path damaged = dir.path() / "damaged" / card[1].filename();
  fs::create_directories(damaged.parent_path());
  fs::copy_file(card[1], damaged);
  fs::resize_file(damaged, fs::file_size(damaged) - 18);  // no closing atom
  const std::vector<fs::path> withDamaged = {card[0], damaged};
  const fs::path out = dir.path() / "out";
  fs::create_directories(out);
  ScratchMount full(64 * 1024);
  ScratchMount readOnly(1 << 20);
  const bool mounted = full.ok() && readOnly.ok() && readOnly.MakeReadOnly();

  const auto clip = [](const StretchResult& stretch, const fs::path& output,
                       const ClipOptions& options = {}) {
    if (stretch.error != ClipError::kNone) return ClipResult{stretch.error, stretch.why, false};
    return WriteClip(stretch.stretch, output, options);
  };
  const StretchResult across = StretchBetweenPictures(card, {card[0], 10}, {card[1], 50});
  ASSERT_EQ(across.error, ClipError::kNone) << across.why;
  CancelAtFirstProgress cancel;
  const struct {
    const char* name;
    std::function<ClipResult()> run;
    ClipError error;
    const char* reason;
    bool needsMounts = false;
  } cases[] = {
      {"start after end",
       [&] {
         return clip(StretchBetweenPictures(card, {card[1], 5}, {card[0], 50}), out / "a.MOV");
       },
       ClipError::kStartAfterEnd, "before the start"},
      {"start after end in one recording",
       [&] {
         return clip(StretchBetweenPictures(card, {card[0], 40}, {card[0], 39}), out / "a.MOV");
       },
       ClipError::kStartAfterEnd, "before the start"},
      {"not consecutive",
       [&] {
         return clip(StretchBetweenPictures(card, {card[1], 40}, {card[2], 10}), out / "a.MOV");
       },
       ClipError::kNotConsecutive, "does not follow"},
      {"damaged",
       [&] {
         return clip(StretchBetweenPictures(withDamaged, {card[0], 10}, {damaged, 10}),
                     out / "a.MOV");
       },
       ClipError::kUnreadable, "not a recorder movie"},
      {"shorter than one picture",
       [&] {
         return clip(StretchBetweenMoments(card, {card[0], 500'000'000}, {card[0], 510'000'000}),
                     out / "a.MOV");
       },
       ClipError::kTooShort, "less than one picture"},
      {"output folder missing", [&] { return clip(across, out / "missing" / "a.MOV"); },
       ClipError::kFailed, "does not exist"},
      {"output named like an input", [&] { return clip(across, card[1]); }, ClipError::kFailed,
       "one of the clip's recordings"},
      {"cancel",
       [&] { return clip(across, out / "a.MOV", {.sink = &cancel, .running = &cancel.running}); },
       ClipError::kCancelled, "cancelled"},
      {"read-only folder", [&] { return clip(across, readOnly.path() / "a.MOV"); },
       ClipError::kFailed, "Read-only file system", true},
      {"full disk, seen before writing", [&] { return clip(across, full.path() / "a.MOV"); },
       ClipError::kFailed, "not enough free space", true},
      {"full disk, met while writing",
       [&] {
         return clip(across, full.path() / "a.MOV",
                     {.freeSpace = [](const fs::path&) { return std::uint64_t{1} << 40; }});
       },
       ClipError::kFailed, "No space left on device", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsMounts && !mounted) {
      std::printf("skipped \"%s\": %s%s\n", c.name, full.error().c_str(), readOnly.error().c_str());
      continue;
    }
    const auto before = FilesUnder(dir.path());
    const ClipResult result = c.run();
    EXPECT_EQ(result.error, c.error) << result.why;
    EXPECT_NE(result.why.find(c.reason), std::string::npos) << result.why;
    EXPECT_EQ(FilesUnder(dir.path()), before);
    if (mounted) {
      EXPECT_TRUE(fs::is_empty(full.path()));
      EXPECT_TRUE(fs::is_empty(readOnly.path()));
    }
  }
}

}  // namespace
