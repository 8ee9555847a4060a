// The picture table in the order the pictures are shown: a built table with
// an open group of pictures, and recordings with B-frames whose pictures
// ffmpeg decodes and whose barcodes tell which picture each one is.
#include "container/picture_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "atom_builder.h"
#include "container/movie_file.h"
#include "mkcard/frame_barcode.h"
#include "mkcard/program_runner.h"
#include "temp_dir.h"

namespace {

using atoms::Atom;
using atoms::Be32;
using atoms::Bytes;
using atoms::Cat;

// A composition-offset table of one entry per sample.
Bytes Ctts(const std::vector<std::int32_t>& offsets) {
  Bytes content = Cat({Be32(0), Be32(static_cast<std::uint32_t>(offsets.size()))});
  for (const std::int32_t offset : offsets) {
    atoms::Append(content, Cat({Be32(1), Be32(static_cast<std::uint32_t>(offset))}));
  }
  return Atom("ctts", content);
}

// A recording of pictures 3000 units long at 90 kHz, keyframes at the
// given samples (1-based), and the composition offsets.
std::filesystem::path BuiltMovie(const std::filesystem::path& folder,
                                 const std::vector<std::uint32_t>& keys,
                                 const std::vector<std::int32_t>& offsets, std::uint32_t pictures) {
  const Bytes mdhd = Cat({Bytes(12, 0), Be32(90000), Bytes(8, 0)});
  const Bytes stbl = Atom(
      "stbl", {atoms::Stsd(320, 180), atoms::Stts(pictures, 3000),
               atoms::Table("stss", keys, static_cast<std::uint32_t>(keys.size())), Ctts(offsets)});
  const Bytes trak =
      Atom("trak", {Atom("tkhd", Bytes(84, 0)),
                    Atom("mdia", {Atom("mdhd", mdhd), Atom("hdlr", Bytes(25, 0)),
                                  Atom("minf", {Atom("vmhd", Bytes(12, 0)), stbl})})});
  return atoms::WriteIn(
      folder, "built.MOV",
      Cat({atoms::Ftyp(), atoms::Mdat(), Atom("moov", {Atom("mvhd", Bytes(100, 0)), trak})}));
}

TEST(PictureTable, OpenGroupsInTheOrderShown) {
  TempDir dir;
  // Stored I0 P3 B1 B2 I6 B4 B5 P8 B7 (the picture each sample shows): the
  // second keyframe is the fifth sample but the seventh picture, behind
  // the two B-frames that lead it.
  const std::vector<int> shows = {0, 3, 1, 2, 6, 4, 5, 8, 7};
  std::vector<std::int32_t> offsets;
  for (std::size_t sample = 0; sample < shows.size(); ++sample) {
    offsets.push_back((shows[sample] - static_cast<int>(sample)) * 3000 + 6000);
  }
  const auto movie = MovieFile::Open(BuiltMovie(dir.path(), {1, 5}, offsets, 9), false);
  ASSERT_NE(movie, nullptr);
  const std::optional<PictureTable> table = ReadPictureTable(*movie);
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->count, 9);
  EXPECT_EQ(table->keys, (std::vector<std::int64_t>{0, 6}));
  EXPECT_EQ(table->KeyAtOrBefore(5), 0);
  for (std::size_t sample = 0; sample < shows.size(); ++sample) {
    EXPECT_EQ(table->SampleOf(shows[sample]), static_cast<std::int64_t>(sample));
  }

  // Offsets for fewer samples than there are pictures: no table.
  offsets.pop_back();
  const auto shortOffsets = MovieFile::Open(BuiltMovie(dir.path(), {1, 5}, offsets, 9), false);
  ASSERT_NE(shortOffsets, nullptr);
  EXPECT_FALSE(ReadPictureTable(*shortOffsets).has_value());
}

// ffprobe's values of `entry` (packet=pts, frame=pts, frame=key_frame),
// one a line, in its order (packets as stored, frames as shown).
std::vector<std::int64_t> Probe(const std::filesystem::path& file, const std::string& entry) {
  const mkcard::ProgramResult probe =
      mkcard::RunProgram({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries", entry,
                          "-of", "csv=p=0", file.string()});
  EXPECT_EQ(probe.failure, "");
  std::vector<std::int64_t> values;
  // Lines of side data come out empty.
  std::istringstream lines(probe.output);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) values.push_back(std::stoll(line));
  }
  return values;
}

TEST(PictureTable, RecordingsWithBFramesInTheOrderShown) {
  const char* const codecs[] = {"h264", "hevc"};
  for (const char* codec : codecs) {
    SCOPED_TRACE(codec);
    TempDir dir;
    const mkcard::ProgramResult made = mkcard::RunProgram(
        {KESTREL_MKCARD_PATH, "--folders", "1", "--files", "1", "--seconds", "2", "--size",
         "160x120", "--gop", "12", "--bframes", "3", "--codec", codec, dir.path().string()});
    ASSERT_EQ(made.failure, "") << made.errors;
    const std::filesystem::path file = dir.path() / "DCIM" / "100MEDIA" / "0612083000_A.MOV";
    const auto movie = MovieFile::Open(file, false);
    ASSERT_NE(movie, nullptr);
    const std::optional<PictureTable> table = ReadPictureTable(*movie);
    ASSERT_TRUE(table.has_value());
    ASSERT_EQ(table->count, 60);
    ASSERT_FALSE(table->samples.empty());

    // The pictures as ffmpeg shows them carry their numbers: picture n is
    // the n-th shown.
    const mkcard::ProgramResult decoded =
        mkcard::RunProgram({"ffmpeg", "-v", "error", "-i", file.string(), "-vf", "format=gray",
                            "-f", "rawvideo", "-"});
    ASSERT_EQ(decoded.failure, "");
    ASSERT_EQ(decoded.output.size(), 160u * 120u * 60u);
    const std::vector<std::int64_t> framePts = Probe(file, "frame=pts");
    const std::vector<std::int64_t> packetPts = Probe(file, "packet=pts");
    const std::vector<std::int64_t> frameKeys = Probe(file, "frame=key_frame");
    ASSERT_EQ(framePts.size(), 60u);
    ASSERT_EQ(packetPts.size(), 60u);
    ASSERT_EQ(frameKeys.size(), 60u);
    std::vector<std::int64_t> keys;
    for (std::int64_t shown = 0; shown < 60; ++shown) {
      const auto* grey = reinterpret_cast<const std::uint8_t*>(decoded.output.data()) +
                         160 * 120 * static_cast<std::size_t>(shown);
      const auto code = mkcard::ReadFrameBarcode(grey, 160, 120, 160);
      ASSERT_TRUE(code.has_value()) << shown;
      const std::int64_t picture = code->frame;
      // The table's sample for that picture is the packet ffmpeg showed it from.
      EXPECT_EQ(packetPts.at(static_cast<std::size_t>(table->SampleOf(picture))),
                framePts[static_cast<std::size_t>(shown)])
          << "picture " << picture;
      if (frameKeys[static_cast<std::size_t>(shown)] == 1) keys.push_back(picture);
    }
    EXPECT_EQ(table->keys, keys);
    EXPECT_EQ(keys, (std::vector<std::int64_t>{0, 12, 24, 36, 48}));
  }
}

}  // namespace
