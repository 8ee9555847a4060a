// A join refuses recordings whose sample tables disagree, before it writes
// anything, and joins the edit lists that recordings start with.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "catalogue/recording_check.h"
#include "catalogue/recording_join.h"
#include "catalogue/sample_tables.h"
#include "container/movie_file.h"
#include "generated_card.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The file offset of an atom's content, by its path from the top level (the
// first of each name).
std::uint64_t ContentAt(const fs::path& file, std::initializer_list<std::string_view> path) {
  const std::unique_ptr<MovieFile> movie = MovieFile::Open(file, true);
  const AtomNode* node = &movie->root;
  for (std::string_view name : path) {
    const AtomNode* next = nullptr;
    for (const AtomNode& child : node->children) {
      if (child.Name() == name) {
        next = &child;
        break;
      }
    }
    EXPECT_NE(next, nullptr) << name;
    if (next == nullptr) return 0;
    node = next;
  }
  return node->offset;
}

// The content offset of table `name` of track `track` (0: pictures, 1: sound).
std::uint64_t TrackTable(const fs::path& file, std::size_t track, std::string_view name) {
  const std::unique_ptr<MovieFile> movie = MovieFile::Open(file, true);
  const AtomNode* moov = nullptr;
  for (const AtomNode& child : movie->root.children) {
    if (child.Name() == "moov") moov = &child;
  }
  EXPECT_NE(moov, nullptr);
  for (const AtomNode& trak : moov ? moov->children : movie->root.children) {
    if (trak.Name() != "trak" || track-- > 0) continue;
    const AtomNode* node = &trak;
    for (std::string_view step :
         {std::string_view("mdia"), std::string_view("minf"), std::string_view("stbl"), name}) {
      for (const AtomNode& child : node->children) {
        if (child.Name() == step) {
          node = &child;
          break;
        }
      }
    }
    EXPECT_EQ(node->Name(), name);
    return node->offset;
  }
  ADD_FAILURE() << "no such track";
  return 0;
}

// The picture track's table `name`.
std::uint64_t PictureTable(const fs::path& file, std::string_view name) {
  return TrackTable(file, 0, name);
}

void PutWord(const fs::path& file, std::uint64_t at, std::uint32_t value) {
  Bytes word(4);
  WriteWord(word, 0, value);
  const int fd = open(file.c_str(), O_WRONLY);
  EXPECT_EQ(pwrite(fd, word.data(), 4, static_cast<off_t>(at)), 4);
  close(fd);
}

std::uint32_t GetWord(const fs::path& file, std::uint64_t at) {
  const Bytes bytes = FileBytes(file);
  return ReadWord(bytes, static_cast<std::size_t>(at));
}

std::size_t DecodedFrames(const fs::path& movie) {
  const std::string text = RunTool(
      {"ffmpeg", "-v", "error", "-i", movie.string(), "-map", "0:v", "-f", "framemd5", "-"});
  std::size_t frames = 0;
  for (std::size_t at = 0; (at = text.find("\n0,", at)) != std::string::npos; ++at) ++frames;
  return frames;
}

// Puts an empty edit of `delay` (movie time) in front of the picture
// track's media edit. The movie atom lies behind the media, so no sample
// moves.
void DelayPictures(const fs::path& file, std::uint32_t delay) {
  Bytes bytes = FileBytes(file);
  const std::uint64_t elst = ContentAt(file, {"moov", "trak", "edts", "elst"});
  for (const std::uint64_t content : {ContentAt(file, {"moov"}), ContentAt(file, {"moov", "trak"}),
                                      ContentAt(file, {"moov", "trak", "edts"}), elst}) {
    WriteWord(bytes, content - 8, ReadWord(bytes, content - 8) + 12);
  }
  WriteWord(bytes, elst + 4, ReadWord(bytes, elst + 4) + 1);
  Bytes edit(12);
  WriteWord(edit, 0, delay);
  WriteWord(edit, 4, 0xFFFFFFFF);
  WriteWord(edit, 8, 0x10000);
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(elst + 8), edit.begin(), edit.end());
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class JoinChecks : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    card_ = new TempDir();
    recordings_ = GenerateRecordings(
        card_->path() / "card",
        {"--folders", "1", "--files", "2", "--seconds", "2", "--size", "160x120", "--seed", "5"});
  }
  static void TearDownTestSuite() { delete card_; }

  // A copy of recording `index` to damage.
  fs::path Copy(std::size_t index, const std::string& name) {
    const fs::path copy = out_.path() / name;
    fs::copy_file(recordings_[index], copy, fs::copy_options::overwrite_existing);
    return copy;
  }

  static TempDir* card_;
  static std::vector<fs::path> recordings_;
  TempDir out_;
};
TempDir* JoinChecks::card_ = nullptr;
std::vector<fs::path> JoinChecks::recordings_;

TEST_F(JoinChecks, RefusesTablesThatDisagreeBeforeWritingAnything) {
  ASSERT_EQ(recordings_.size(), 2u);
  struct Case {
    const char* what;
    bool first;  // damages the first recording, else the second
    std::function<void(const fs::path&)> damage;
  };
  const std::vector<Case> cases = {
      {"undamaged", false, [](const fs::path&) {}},
      {"an stsc entry changed", false,
       [](const fs::path& f) {
         const std::uint64_t at = PictureTable(f, "stsc") + 12;
         PutWord(f, at, GetWord(f, at) + 1);
       }},
      {"the stco count cut to 1", false,
       [](const fs::path& f) { PutWord(f, PictureTable(f, "stco") + 4, 1); }},
      {"samples past the media", false,
       [](const fs::path& f) {
         const std::uint64_t stco = PictureTable(f, "stco");
         const std::uint64_t last = stco + 8 + 4 * (GetWord(f, stco + 4) - 1);
         PutWord(f, last, static_cast<std::uint32_t>(ContentAt(f, {"moov"}) - 8 - 16));
       }},
      {"a sync sample past the samples", false,
       [](const fs::path& f) { PutWord(f, PictureTable(f, "stss") + 8, 100000); }},
      {"a frame delta of 0", false,
       [](const fs::path& f) { PutWord(f, PictureTable(f, "stts") + 12, 0); }},
      {"a frame delta of 1 tick", false,
       [](const fs::path& f) { PutWord(f, PictureTable(f, "stts") + 12, 1); }},
      {"a frame delta of 0xFFFFFFFF", false,
       [](const fs::path& f) { PutWord(f, PictureTable(f, "stts") + 12, 0xFFFFFFFF); }},
      {"another frame rate", false,
       [](const fs::path& f) { PutWord(f, PictureTable(f, "stts") + 12, 3003); }},
      {"a first recording without its closing atom", true,
       [](const fs::path& f) { fs::resize_file(f, fs::file_size(f) - 12); }},
      {"a damaged closing marker", true,
       [](const fs::path& f) { PutWord(f, fs::file_size(f) - 18, 0x43534D58); }},  // "CSMX"
      {"a bad closing atom size", true,
       [](const fs::path& f) { PutWord(f, fs::file_size(f) - 12, 0x7FFFFFFF); }},
  };
  for (const Case& c : cases) {
    const fs::path damaged = Copy(c.first ? 0 : 1, "damaged.MOV");
    c.damage(damaged);
    const std::vector<fs::path> inputs = {c.first ? damaged : recordings_[0],
                                          c.first ? recordings_[1] : damaged};
    const fs::path output = out_.path() / "joined.MOV";
    const JoinResult result = Join(inputs, output);
    if (std::string_view(c.what) == "undamaged") {
      ASSERT_EQ(result.error, JoinError::kNone) << result.why;
      EXPECT_TRUE(IsRecording(output));
      EXPECT_EQ(RunTool({"ffmpeg", "-v", "error", "-i", output.string(), "-f", "null", "-"}), "");
      EXPECT_EQ(DecodedFrames(output), 120u);
      fs::remove(output);
    } else {
      EXPECT_EQ(result.error, JoinError::kFailed) << c.what;
      EXPECT_FALSE(result.why.empty()) << c.what;
      EXPECT_EQ(JoinFailureText(result.error), "動画の連結に失敗しました。");
    }
    EXPECT_FALSE(fs::exists(output)) << c.what;
    EXPECT_EQ(std::distance(fs::directory_iterator(out_.path()), {}), 1) << c.what;
  }
}

TEST_F(JoinChecks, RefusesChunksOfASampleDescriptionTheTrackLacks) {
  struct Case {
    std::size_t track;  // 0: pictures, 1: sound
    bool first;         // damages the first recording, else the second
    std::uint32_t description;
  };
  // Each track holds one sample description, number 1.
  const Case cases[] = {{0, false, 0}, {0, false, 2}, {0, true, 0xFFFFFFFF},
                        {1, false, 0}, {1, true, 2},  {1, false, 0xFFFFFFFF}};
  for (const Case& c : cases) {
    const std::string what = (c.track == 0 ? "pictures, " : "sound, ") +
                             std::string(c.first ? "first" : "second") +
                             " recording, description " + std::to_string(c.description);
    const fs::path damaged = Copy(c.first ? 0 : 1, "damaged.MOV");
    const std::uint64_t stsc = TrackTable(damaged, c.track, "stsc");
    ASSERT_EQ(GetWord(damaged, stsc + 16), 1u) << what;
    PutWord(damaged, stsc + 16, c.description);
    const fs::path output = out_.path() / "joined.MOV";
    const JoinResult result =
        Join({c.first ? damaged : recordings_[0], c.first ? recordings_[1] : damaged}, output);
    EXPECT_EQ(result.error, JoinError::kFailed) << what;
    EXPECT_EQ(result.why, damaged.string() +
                              ": a track's chunks name a sample description it "
                              "does not have")
        << what;
    EXPECT_FALSE(fs::exists(output)) << what;
    EXPECT_EQ(std::distance(fs::directory_iterator(out_.path()), {}), 1) << what;
    fs::remove(output);
  }
}

TEST_F(JoinChecks, PicturesBehindAStartDelayAreJoinedWhole) {
  const fs::path a = Copy(0, "a.MOV");
  const fs::path b = Copy(1, "b.MOV");
  for (const fs::path& input : {a, b}) {
    DelayPictures(input, 100);
    ASSERT_EQ(DecodedFrames(input), 60u);
  }
  const fs::path output = out_.path() / "joined.MOV";
  const JoinResult result = Join({a, b}, output);
  ASSERT_EQ(result.error, JoinError::kNone) << result.why;
  EXPECT_EQ(RunTool({"ffmpeg", "-v", "error", "-i", output.string(), "-f", "null", "-"}), "");
  EXPECT_EQ(DecodedFrames(output), 120u);

  // A start delay only one of them has is refused.
  const fs::path plain = Copy(1, "plain.MOV");
  fs::remove(output);
  EXPECT_EQ(Join({a, plain}, output).error, JoinError::kFailed);
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
