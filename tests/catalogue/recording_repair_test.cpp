// Recordings cut short at many points of their media, repaired with a
// healthy recording of the same card: ffmpeg decodes each repair without a
// word, and its pictures are the source's first pictures.
#include "catalogue/recording_repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>

#include "catalogue/expanded_track.h"
#include "catalogue/join_merge.h"
#include "catalogue/recording_check.h"
#include "generated_card.h"
#include "mkcard/frame_barcode.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Sample {
  std::uint64_t offset = 0;
  std::uint64_t end = 0;
};

// Where each sample of a track lies in its file, in the track's order.
std::vector<Sample> SamplesOf(const TrackAtoms& track) {
  const auto expanded =
      ExpandTrack(track.stts->data, track.stsz->data, track.stsc->data, track.stco->data, 1 << 20);
  std::vector<Sample> samples;
  if (!expanded) return samples;
  std::size_t sample = 0;
  for (const ExpandedTrack::Chunk& chunk : expanded->chunks) {
    std::uint64_t at = chunk.offset;
    for (std::uint32_t i = 0; i < chunk.samples; ++i, ++sample) {
      samples.push_back({at, at + expanded->SizeOf(sample)});
      at += expanded->SizeOf(sample);
    }
  }
  return samples;
}

// The source's pictures and sound frames, and its keyframes (0-based).
struct Layout {
  std::vector<Sample> pictures;
  std::vector<Sample> sounds;
  std::vector<std::uint32_t> keys;
};

Layout LayoutOf(const fs::path& path) {
  Layout layout;
  auto movie = MovieFile::Open(path, true);
  JoinAtoms atoms;
  std::string why;
  EXPECT_TRUE(movie && FindJoinAtoms(*movie, atoms, why)) << why;
  if (!movie || atoms.tracks.size() != 2) return layout;
  layout.pictures = SamplesOf(atoms.tracks[0]);
  layout.sounds = SamplesOf(atoms.tracks[1]);
  const AtomBytes& stss = atoms.tracks[0].stss->data;
  for (std::uint32_t i = 0; i < ReadWord(stss, 4); ++i)
    layout.keys.push_back(ReadWord(stss, 8 + 4 * i) - 1);
  return layout;
}

// The frame numbers in the barcodes of a movie's pictures, as ffmpeg shows
// them; -1 for a picture without one (the beeping recording's white first
// picture). Fails the test when ffmpeg says anything.
std::vector<int> ShownFrames(const fs::path& movie, int recording) {
  const mkcard::ProgramResult run = mkcard::RunProgram(
      {"ffmpeg", "-v", "error", "-i", movie.string(), "-vf", "format=gray", "-f", "rawvideo", "-"});
  EXPECT_EQ(run.failure + run.errors, "");
  const std::size_t size = std::size_t{kWidth} * kHeight;
  std::vector<int> frames;
  for (std::size_t at = 0; at + size <= run.output.size(); at += size) {
    const auto* grey = reinterpret_cast<const std::uint8_t*>(run.output.data()) + at;
    const auto code = mkcard::ReadFrameBarcode(grey, kWidth, kHeight, kWidth);
    frames.push_back(code && code->recording == recording ? code->frame : -1);
  }
  return frames;
}

// The first loud sound sample, in samples at 48 kHz.
std::size_t FirstLoudSample(const fs::path& movie) {
  const mkcard::ProgramResult run =
      mkcard::RunProgram({"ffmpeg", "-v", "error", "-i", movie.string(), "-map", "0:a", "-f",
                          "s16le", "-ac", "1", "-ar", "48000", "-"});
  EXPECT_EQ(run.failure + run.errors, "");
  for (std::size_t i = 0; i + 1 < run.output.size(); i += 2) {
    std::int16_t sample = 0;
    std::memcpy(&sample, run.output.data() + i, 2);
    if (std::abs(sample) > 1000) return i / 2;
  }
  return SIZE_MAX;
}

// The 26 header bytes and the record count of a movie's sensor track.
std::string SensorHead(const fs::path& movie) {
  const std::vector<std::uint8_t> bytes = FileBytes(movie);
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t at = text.rfind("CSMDAT");
  return at == std::string::npos ? "" : text.substr(at + 6, 28);
}

struct Cut {
  const char* what;
  std::uint64_t at;
  std::size_t garbage = 0;  // random bytes after the cut
};

// Cut points across the media: inside pictures, inside sound frames, at
// chunk boundaries (a picture chunk begins right after a sound frame).
std::vector<Cut> CutsAcross(const Layout& layout) {
  std::vector<Cut> cuts;
  const auto middle = [](const Sample& s) { return s.offset + (s.end - s.offset) / 2; };
  const std::size_t p = layout.pictures.size();
  const std::size_t s = layout.sounds.size();
  for (const std::size_t percent : {2, 30, 55, 80}) {
    cuts.push_back({"inside a picture", middle(layout.pictures[p * percent / 100])});
  }
  for (const std::size_t percent : {15, 45, 70}) {
    const Sample& sound = layout.sounds[s * percent / 100];
    if (sound.end - sound.offset > 1) cuts.push_back({"inside a sound frame", middle(sound)});
  }
  for (const std::size_t percent : {25, 60, 85}) {
    const Sample& picture = layout.pictures[p * percent / 100];
    cuts.push_back({"at a chunk boundary", picture.offset});
  }
  cuts.push_back({"garbage after a chunk boundary", layout.pictures[p / 2].offset, 4000});
  cuts.push_back(
      {"garbage after a cut inside a picture", middle(layout.pictures[p * 2 / 5]), 4000});
  // The last picture of a group, decoded after the pictures it is shown
  // between: the garbage fills the length its NAL unit claims, and only the
  // decoder tells that the picture is not whole.
  const Sample& last = layout.pictures[layout.keys[layout.keys.size() / 2] - 1];
  cuts.push_back({"garbage over the rest of a group's last picture", middle(last),
                  static_cast<std::size_t>(last.end - last.offset) + 4000});
  return cuts;
}

class RecordingRepair : public ::testing::TestWithParam<const char*> {};

TEST_P(RecordingRepair, EveryCutRepairsToTheSourcesFirstPictures) {
  TempDir dir;
  const std::vector<fs::path> files = GenerateRecordings(
      dir.path() / "card", {"--folders", "1", "--files", "2", "--seconds", "4", "--beep", "--size",
                            "320x240", "--fps", GetParam(), "--triggers", "A"});
  ASSERT_EQ(files.size(), 2u);
  const fs::path& reference = files[0];
  const fs::path& source = files[1];
  const Layout layout = LayoutOf(source);
  ASSERT_FALSE(layout.pictures.empty());
  const std::vector<std::uint8_t> sourceBytes = FileBytes(source);
  // The damaged file takes the source's place: the reference is the other
  // recording, not the source's own tables.
  fs::remove(source);
  std::mt19937 random(7);
  for (const Cut& cut : CutsAcross(layout)) {
    SCOPED_TRACE(std::string(cut.what) + " at " + std::to_string(cut.at));
    const fs::path& damaged = source;
    {
      std::vector<std::uint8_t> bytes(sourceBytes.begin(),
                                      sourceBytes.begin() + static_cast<std::ptrdiff_t>(cut.at));
      for (std::size_t i = 0; i < cut.garbage; ++i)
        bytes.push_back(static_cast<std::uint8_t>(random()));
      std::ofstream(damaged, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    }
    const std::vector<std::uint8_t> damagedBytes = FileBytes(damaged);
    const fs::path repaired = RepairedPath(damaged);
    const RepairResult result = Repair(damaged, repaired);
    ASSERT_EQ(result.error, RepairError::kNone) << result.why;
    EXPECT_EQ(result.reference, reference);  // the nearest healthy recording
    EXPECT_TRUE(FileBytes(damaged) == damagedBytes);

    // The pictures wholly before the cut, less at most the last group
    // they leave unfinished.
    const auto whole = static_cast<std::uint32_t>(
        std::count_if(layout.pictures.begin(), layout.pictures.end(),
                      [&](const Sample& picture) { return picture.end <= cut.at; }));
    std::uint32_t groupStart = whole;
    if (whole < layout.pictures.size()) {
      for (const std::uint32_t key : layout.keys) groupStart = key <= whole ? key : groupStart;
    }
    const std::vector<int> shown = ShownFrames(repaired, 1);
    EXPECT_EQ(shown.size(), result.pictures);
    EXPECT_GE(shown.size(), groupStart);
    EXPECT_LE(shown.size(), whole);
    for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_EQ(shown[i], static_cast<int>(i));
    if (result.soundFrames > 8) {
      EXPECT_LT(FirstLoudSample(repaired), 1024u);  // the beep within a frame of the first picture
    }

    // A recording the catalogue lists: the reference's sensor header, no
    // records.
    EXPECT_TRUE(IsRecording(repaired));
    EXPECT_EQ(SensorHead(repaired), SensorHead(reference).substr(0, 26) + std::string(2, '\0'));
    fs::remove(repaired);
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, RecordingRepair, ::testing::Values("30", "29.97"),
                         [](const auto& rate) {
                           return std::string(rate.param) == "30" ? "At30" : "At29_97";
                         });

}  // namespace
