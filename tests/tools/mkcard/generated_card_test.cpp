// Cards written by the generator, read back with independent code, ffprobe
// and ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "mkcard/card_plan.h"
#include "mkcard/frame_barcode.h"
#include "mkcard/program_runner.h"
#include "recorder_file.h"

using mkcard::CardOptions;
using mkcard::FileKind;
using mkcard::RecordingPlan;

namespace {

std::string Names(const std::vector<Atom>& atoms) {
  std::string names;
  for (const Atom& atom : atoms) names += (names.empty() ? "" : " ") + atom.name;
  return names;
}

std::vector<Atom> TopAtoms(const std::vector<std::uint8_t>& bytes) {
  return AtomsIn(bytes, 0, bytes.size());
}

std::string Text(const std::vector<std::uint8_t>& bytes, std::uint64_t offset, std::size_t length) {
  return std::string(bytes.begin() + static_cast<long>(offset),
                     bytes.begin() + static_cast<long>(offset + length));
}

// The generator's arguments for `options` (those the tests vary).
std::vector<std::string> Arguments(const CardOptions& o, const std::filesystem::path& outdir) {
  std::vector<std::string> args = {
      "--folders",  std::to_string(o.folders),
      "--files",    std::to_string(o.files),
      "--seconds",  std::to_string(o.seconds),
      "--size",     std::to_string(o.width) + "x" + std::to_string(o.height),
      "--fps",      std::to_string(o.fpsNum) + "/" + std::to_string(o.fpsDen),
      "--seed",     std::to_string(o.seed),
      "--triggers", o.triggers,
      "--quality",  std::string(1, o.quality),
      "--numbered", std::to_string(o.numbered)};
  if (o.codec == mkcard::VideoCodec::kHevc) args.insert(args.end(), {"--codec", "hevc"});
  if (o.bframes >= 0) args.insert(args.end(), {"--bframes", std::to_string(o.bframes)});
  const char* const sounds[] = {"aac", "stereo", "pcm", "none"};
  args.insert(args.end(), {"--audio", sounds[static_cast<int>(o.sound)]});
  if (o.records >= 0) args.insert(args.end(), {"--records", std::to_string(o.records)});
  if (o.extras) args.push_back("--extras");
  if (o.cutShort) args.push_back("--cut-short");
  if (o.noCsmend) args.push_back("--no-csmend");
  if (o.plain) args.push_back("--plain");
  args.push_back(outdir.string());
  return args;
}

CardOptions SmallCard() {
  CardOptions options;
  options.folders = 1;
  options.files = 2;
  options.seconds = 2;
  options.width = 160;
  options.height = 120;
  return options;
}

// A card written into a temporary folder, with the plan of what it holds.
struct Card {
  explicit Card(const CardOptions& o) : options(o), plan(mkcard::PlanCard(o)) {
    run = RunGenerator(Arguments(o, dir.path()));
  }
  std::filesystem::path PathOf(const RecordingPlan& p) const { return dir.path() / p.path; }

  CardOptions options;
  TempDir dir;
  std::vector<RecordingPlan> plan;
  GeneratorRun run;
};

// Returns the sample delta of the first stts entry of the first track.
std::uint32_t FirstSampleDelta(const std::vector<std::uint8_t>& bytes) {
  const auto stts = FindAtom(bytes, {"moov", "trak", "mdia", "minf", "stbl", "stts"});
  return stts ? Be32(bytes, stts->offset + 8 + 12) : 0;
}

// Checks the layout the recorder writes and returns the udat atom.
Atom ExpectRecorderLayout(const std::vector<std::uint8_t>& bytes, std::size_t records) {
  const std::vector<Atom> atoms = TopAtoms(bytes);
  EXPECT_EQ(Names(atoms), "ftyp mdat moov udat free");
  if (atoms.size() != 5) return {};
  EXPECT_EQ(Text(bytes, 4, 4), "ftyp");
  EXPECT_EQ(Text(bytes, bytes.size() - 18, 6), "CSMEND");
  // The mdat content begins with an 8-byte "wide" atom, not with sample data.
  EXPECT_EQ(Be32(bytes, atoms[1].offset + 8), 8u);
  EXPECT_EQ(Text(bytes, atoms[1].offset + 12, 4), "wide");
  const Atom& udat = atoms[3];
  EXPECT_EQ(udat.size, 8 + 40 + 124 * records);
  EXPECT_EQ(Text(bytes, udat.offset + 8, 6), "CSMDAT");
  EXPECT_EQ(bytes[udat.offset + 40] << 8 | bytes[udat.offset + 41], static_cast<int>(records));
  EXPECT_EQ(atoms[4].size, 12u);
  EXPECT_EQ(Be32(bytes, atoms[4].offset + 8), 0u);
  return udat;
}

double ProbedDuration(const std::filesystem::path& file) {
  const mkcard::ProgramResult probe =
      mkcard::RunProgram({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                          "csv=p=0", file.string()});
  EXPECT_EQ(probe.failure, "") << file;
  EXPECT_EQ(probe.errors, "") << file;
  return std::atof(probe.output.c_str());
}

// Decodes the pictures with ffmpeg, in presentation order: each carries its
// own number and its recording's.
void ExpectBarcodesInOrder(const std::filesystem::path& file, const RecordingPlan& plan) {
  const mkcard::ProgramResult decoded = mkcard::RunProgram(
      {"ffmpeg", "-v", "error", "-i", file.string(), "-vf", "format=gray", "-f", "rawvideo", "-"});
  ASSERT_EQ(decoded.failure, "");
  EXPECT_EQ(decoded.errors, "");
  const std::size_t frameSize = static_cast<std::size_t>(plan.width * plan.height);
  ASSERT_EQ(decoded.output.size(), frameSize * static_cast<std::size_t>(plan.frames));
  for (int frame = 0; frame < plan.frames; ++frame) {
    const auto* grey = reinterpret_cast<const std::uint8_t*>(decoded.output.data()) +
                       frameSize * static_cast<std::size_t>(frame);
    const auto code = mkcard::ReadFrameBarcode(grey, plan.width, plan.height, plan.width);
    ASSERT_TRUE(code.has_value()) << plan.path << " frame " << frame;
    EXPECT_EQ(code->frame, frame);
    EXPECT_EQ(code->recording, plan.cardIndex);
  }
}

}  // namespace

class GeneratedCard : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CardOptions options;
    options.seconds = 2;
    options.width = 160;
    options.height = 120;
    options.numbered = 1;
    card_ = new Card(options);
  }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  static Card* card_;
};

Card* GeneratedCard::card_ = nullptr;

TEST_F(GeneratedCard, EveryFileHasTheRecorderLayout) {
  ASSERT_EQ(card_->run.status, 0) << card_->run.errors;
  ASSERT_EQ(card_->plan.size(), 15u);
  for (const RecordingPlan& plan : card_->plan) {
    SCOPED_TRACE(plan.path);
    const std::vector<std::uint8_t> bytes = ReadBytes(card_->PathOf(plan));
    ExpectRecorderLayout(bytes, 20);
    // Video first, at 90 kHz and 30 frames a second.
    const auto handler = FindAtom(bytes, {"moov", "trak", "mdia", "hdlr"});
    ASSERT_TRUE(handler.has_value());
    EXPECT_EQ(Text(bytes, handler->offset + 16, 4), "vide");
    const auto mdhd = FindAtom(bytes, {"moov", "trak", "mdia", "mdhd"});
    ASSERT_TRUE(mdhd.has_value());
    EXPECT_EQ(Be32(bytes, mdhd->offset + 8 + 12), 90000u);
    EXPECT_EQ(FirstSampleDelta(bytes), 3000u);
    EXPECT_NEAR(ProbedDuration(card_->PathOf(plan)), 2.0, 1.0 / 30);
  }
}

TEST_F(GeneratedCard, SensorPayloadDecodesToThePlan) {
  for (const RecordingPlan& plan : card_->plan) {
    SCOPED_TRACE(plan.path);
    const std::vector<std::uint8_t> bytes = ReadBytes(card_->PathOf(plan));
    const Atom udat = ExpectRecorderLayout(bytes, plan.samples.size());
    ASSERT_EQ(udat.name, "udat");
    const std::uint64_t header = udat.offset + 8 + 6;
    EXPECT_EQ(Text(bytes, header, 16), "0600060008000300");
    EXPECT_EQ(bytes[header + 16], plan.header.mode);
    EXPECT_EQ(Text(bytes, header + 17, 6), "010407");
    EXPECT_EQ(bytes[header + 23], 'H');
    // The first record never reads as a further header block.
    EXPECT_NE(Text(bytes, header + 30, 3), "@CS");
    for (std::size_t r = 0; r < plan.samples.size(); ++r) {
      SCOPED_TRACE(r);
      EXPECT_EQ(DecodeRecord(bytes.data() + header + 28 + 124 * r), plan.samples[r]);
    }
  }
}

TEST_F(GeneratedCard, FramesCarryTheirNumbersInTheBarcode) {
  for (const std::size_t index : {0u, 7u, 14u}) {
    ExpectBarcodesInOrder(card_->PathOf(card_->plan[index]), card_->plan[index]);
  }
}

// Each kind of recording on its own, the others at their defaults: the
// recorder's layout, the streams ffprobe finds, a composition-offset table
// exactly when there are B-frames, and the pictures in presentation order.
TEST(GeneratedFiles, EveryKindOfRecording) {
  using mkcard::SoundKind;
  using mkcard::VideoCodec;
  const struct {
    const char* name;
    VideoCodec codec;
    int bframes;
    SoundKind sound;
    int fpsNum, fpsDen;
    const char* streams;  // ffprobe's codec name and channels of each stream
    bool ctts;
  } cases[] = {
      {"h264", VideoCodec::kH264, -1, SoundKind::kAac, 30, 1, "h264|aac,1|", true},
      {"no B-frames", VideoCodec::kH264, 0, SoundKind::kAac, 30, 1, "h264|aac,1|", false},
      {"hevc", VideoCodec::kHevc, -1, SoundKind::kAac, 30, 1, "hevc|aac,1|", true},
      {"hevc without B-frames", VideoCodec::kHevc, 0, SoundKind::kAac, 30, 1, "hevc|aac,1|", false},
      {"stereo", VideoCodec::kH264, 2, SoundKind::kStereo, 30, 1, "h264|aac,2|", true},
      {"pcm", VideoCodec::kH264, -1, SoundKind::kPcm, 30, 1, "h264|pcm_s16le,1|", true},
      {"no sound", VideoCodec::kH264, -1, SoundKind::kNone, 30, 1, "h264|", true},
      {"60 fps", VideoCodec::kH264, -1, SoundKind::kAac, 60, 1, "h264|aac,1|", true},
      {"25 fps", VideoCodec::kH264, -1, SoundKind::kAac, 25, 1, "h264|aac,1|", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CardOptions options = SmallCard();
    options.files = 1;
    options.seconds = 1;
    options.codec = c.codec;
    options.bframes = c.bframes;
    options.sound = c.sound;
    options.fpsNum = c.fpsNum;
    options.fpsDen = c.fpsDen;
    const Card card(options);
    ASSERT_EQ(card.run.status, 0) << card.run.errors;
    const RecordingPlan& plan = card.plan.at(0);
    const std::filesystem::path file = card.PathOf(plan);
    const auto bytes = ReadBytes(file);
    ExpectRecorderLayout(bytes, 10);
    EXPECT_EQ(FirstSampleDelta(bytes), static_cast<std::uint32_t>(90000 * c.fpsDen / c.fpsNum));
    EXPECT_EQ(FindAtom(bytes, {"moov", "trak", "mdia", "minf", "stbl", "ctts"}).has_value(),
              c.ctts);
    const mkcard::ProgramResult probe =
        mkcard::RunProgram({"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,channels",
                            "-of", "csv=p=0", file.string()});
    ASSERT_EQ(probe.failure, "");
    std::string streams = probe.output;
    std::replace(streams.begin(), streams.end(), '\n', '|');
    EXPECT_EQ(streams, c.streams);
    ExpectBarcodesInOrder(file, plan);
  }
}

TEST(GeneratedFiles, SameSeedSameBytesOtherSeedOtherSensorTrack) {
  const Card first(SmallCard());
  const Card again(SmallCard());
  CardOptions otherSeed = SmallCard();
  otherSeed.seed = 7;
  const Card other(otherSeed);
  ASSERT_EQ(first.run.status, 0) << first.run.errors;
  for (std::size_t i = 0; i < first.plan.size(); ++i) {
    const auto bytes = ReadBytes(first.PathOf(first.plan[i]));
    EXPECT_EQ(bytes, ReadBytes(again.PathOf(again.plan[i])));
    const auto otherBytes = ReadBytes(other.PathOf(other.plan[i]));
    const Atom udat = TopAtoms(bytes).at(3);
    const Atom otherUdat = TopAtoms(otherBytes).at(3);
    EXPECT_NE(Text(bytes, udat.offset, udat.size),
              Text(otherBytes, otherUdat.offset, otherUdat.size));
  }
}

TEST(GeneratedFiles, NtscRateGivesDelta3003) {
  CardOptions options = SmallCard();
  options.files = 1;
  options.fpsNum = 30000;
  options.fpsDen = 1001;
  const Card card(options);
  ASSERT_EQ(card.run.status, 0) << card.run.errors;
  const auto bytes = ReadBytes(card.PathOf(card.plan[0]));
  ExpectRecorderLayout(bytes, 20);
  EXPECT_EQ(FirstSampleDelta(bytes), 3003u);
  EXPECT_NEAR(ProbedDuration(card.PathOf(card.plan[0])), 2.0, 1001.0 / 30000);
}

TEST(GeneratedFiles, RecordCountsThatDifferFromTheVideo) {
  for (const int records : {0, 15, 16}) {
    CardOptions options = SmallCard();
    options.records = records;
    const Card card(options);
    ASSERT_EQ(card.run.status, 0) << card.run.errors;
    for (const RecordingPlan& plan : card.plan) {
      const auto bytes = ReadBytes(card.PathOf(plan));
      const Atom udat = ExpectRecorderLayout(bytes, static_cast<std::size_t>(records));
      ASSERT_EQ(plan.samples.size(), static_cast<std::size_t>(records));
      for (std::size_t r = 0; r < plan.samples.size(); ++r) {
        EXPECT_EQ(DecodeRecord(bytes.data() + udat.offset + 8 + 34 + 124 * r), plan.samples[r]);
      }
    }
  }
}

// A file cut short ends inside its mdat; its first atoms are intact.
void ExpectCutShort(const std::vector<std::uint8_t>& bytes) {
  EXPECT_EQ(Text(bytes, 4, 4), "ftyp");
  const std::uint32_t ftyp = Be32(bytes, 0);
  EXPECT_EQ(Text(bytes, ftyp + 4, 4), "mdat");
  EXPECT_GT(ftyp + Be32(bytes, ftyp), bytes.size());
  EXPECT_NE(Text(bytes, bytes.size() - 18, 6), "CSMEND");
}

// A file without "CSMEND" keeps the layout, but its sensor payload stops after the last record.
void ExpectNoCsmend(const std::vector<std::uint8_t>& bytes, std::size_t records) {
  const auto atoms = TopAtoms(bytes);
  ASSERT_EQ(Names(atoms), "ftyp mdat moov udat free");
  EXPECT_EQ(atoms[3].size, 8 + 34 + 124 * records);
  EXPECT_EQ(bytes[atoms[3].offset + 40] << 8 | bytes[atoms[3].offset + 41],
            static_cast<int>(records));
  EXPECT_NE(Text(bytes, bytes.size() - 18, 6), "CSMEND");
}

void ExpectPlain(const std::filesystem::path& file) {
  EXPECT_EQ(Names(TopAtoms(ReadBytes(file))), "ftyp wide mdat moov");
  EXPECT_NEAR(ProbedDuration(file), 2.0, 1.0 / 30);
}

TEST(GeneratedFiles, TestFilesOnTheirOwn) {
  for (const FileKind kind : {FileKind::kCutShort, FileKind::kNoCsmend, FileKind::kPlainMovie}) {
    CardOptions options = SmallCard();
    options.cutShort = kind == FileKind::kCutShort;
    options.noCsmend = kind == FileKind::kNoCsmend;
    options.plain = kind == FileKind::kPlainMovie;
    const Card card(options);
    ASSERT_EQ(card.run.status, 0) << card.run.errors;
    for (const RecordingPlan& plan : card.plan) {
      SCOPED_TRACE(plan.path);
      const auto bytes = ReadBytes(card.PathOf(plan));
      if (kind == FileKind::kCutShort) ExpectCutShort(bytes);
      if (kind == FileKind::kNoCsmend) ExpectNoCsmend(bytes, 20);
      if (kind == FileKind::kPlainMovie) ExpectPlain(card.PathOf(plan));
    }
  }
}

TEST(GeneratedFiles, ExtrasInTheLastFolder) {
  CardOptions options = SmallCard();
  options.folders = 2;
  options.files = 1;
  options.extras = true;
  const Card card(options);
  ASSERT_EQ(card.run.status, 0) << card.run.errors;
  ASSERT_EQ(card.plan.size(), 6u);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(card.dir.path())) {
    if (entry.is_regular_file())
      files.push_back(entry.path().lexically_relative(card.dir.path()).string());
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> planned;
  for (const RecordingPlan& plan : card.plan) planned.push_back(plan.path);
  std::sort(planned.begin(), planned.end());
  EXPECT_EQ(files, planned);
  for (const RecordingPlan& plan : card.plan) {
    SCOPED_TRACE(plan.path);
    const auto bytes = ReadBytes(card.PathOf(plan));
    switch (plan.kind) {
      case FileKind::kRecorder:
        ExpectRecorderLayout(bytes, 20);
        break;
      case FileKind::kCutShort:
        EXPECT_EQ(plan.folder, 1);
        ExpectCutShort(bytes);
        break;
      case FileKind::kNoCsmend:
        ExpectNoCsmend(bytes, 20);
        break;
      case FileKind::kPlainMovie:
        ExpectPlain(card.PathOf(plan));
        break;
      case FileKind::kNotMovie:
        ASSERT_GT(bytes.size(), 8u);
        EXPECT_NE(Text(bytes, 4, 4), "ftyp");
        break;
    }
  }
}

// Stand-ins for ffmpeg that fail in the ways a real run can.
TEST(GeneratedFiles, FailedRunLeavesNoFileUnderAFinalName) {
  const struct {
    const char* script;  // nullptr: no ffmpeg in PATH at all
    const char* message;
  } cases[] = {
      {nullptr, "ffmpeg: No such file or directory"},
      {"#!/bin/sh\nfor a; do out=$a; done\nprintf 'half a movie' > \"$out\"\n"
       "echo 'Conversion failed!' >&2\nexit 1\n",
       "ffmpeg exited with status 1: Conversion failed!"},
      {"#!/bin/sh\nfor a; do out=$a; done\nprintf '\\000\\000\\000\\020ftypqt  "
       "\\000\\000\\000\\000' "
       "> \"$out\"\n",
       "expected 'ftyp wide mdat moov'"},
  };
  for (const auto& c : cases) {
    TempDir bin;
    if (c.script != nullptr) {
      const auto fake = bin.path() / "ffmpeg";
      std::FILE* file = std::fopen(fake.c_str(), "w");
      ASSERT_NE(file, nullptr);
      std::fputs(c.script, file);
      std::fclose(file);
      std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    }
    TempDir out;
    const GeneratorRun run = RunGenerator(Arguments(SmallCard(), out.path()), bin.path().c_str());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(out.path())) {
      EXPECT_FALSE(entry.is_regular_file()) << entry.path();
    }
  }
}
