#include "container/movie_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "atom_builder.h"
#include "temp_dir.h"

namespace {

using atoms::Atom;
using atoms::AtomWithSize;
using atoms::Be32;
using atoms::Bytes;
using atoms::Cat;
using atoms::Text;

std::vector<std::string> TopLevel(const MovieFile& movie) {
  std::vector<std::string> names;
  for (const AtomNode& child : movie.root.children) names.emplace_back(child.Name());
  return names;
}

const AtomNode* Child(const AtomNode& node, std::string_view name) {
  for (const AtomNode& child : node.children) {
    if (child.Name() == name) return &child;
  }
  return nullptr;
}

class MovieFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
  }

  std::unique_ptr<MovieFile> OpenBytes(const Bytes& bytes, bool examineRoot = false) {
    return MovieFile::Open(atoms::WriteIn(dir_.path(), "movie.MOV", bytes), examineRoot);
  }

  TempDir dir_;
};

TEST_F(MovieFileTest, WalksTheRecorderLayout) {
  const Bytes udat = atoms::Udat(atoms::SampleRecords(3));
  const Bytes file = atoms::RecorderMovie(udat);
  auto movie = OpenBytes(file);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->fileSize, file.size());
  EXPECT_EQ(movie->root.size, file.size());
  EXPECT_EQ(TopLevel(*movie), (std::vector<std::string>{"ftyp", "mdat", "moov", "udat", "free"}));

  const AtomNode& mdat = movie->root.children[1];
  EXPECT_TRUE(mdat.data.empty());
  EXPECT_TRUE(mdat.isRaw);  // its content starts with `wide`, not a known name
  EXPECT_TRUE(mdat.children.empty());
  EXPECT_EQ(mdat.offset, atoms::Ftyp().size() + 8);
  EXPECT_EQ(mdat.size, atoms::Mdat().size() - 8);
  EXPECT_EQ(mdat.depth, 1);

  const AtomNode& udatNode = movie->root.children[3];
  EXPECT_TRUE(udatNode.data.empty());
  EXPECT_EQ(udatNode.recordCount, 3u);
  EXPECT_EQ(udatNode.recordBytes, 372u);
  EXPECT_EQ(udatNode.trackSize, 412u);
  EXPECT_EQ(udatNode.joinedRecordCount, 0u);
  EXPECT_EQ(udatNode.size, udat.size() - 8);
  EXPECT_EQ(*udatNode.sourcePath, movie->path());

  const AtomNode& moov = movie->root.children[2];
  EXPECT_FALSE(moov.isRaw);
  EXPECT_TRUE(moov.data.empty());
  const AtomNode* stbl = Child(*Child(*Child(*Child(moov, "trak"), "mdia"), "minf"), "stbl");
  ASSERT_NE(stbl, nullptr);
  EXPECT_EQ(stbl->depth, 5);
  for (const char* name : {"stsd", "stts", "stss", "stsz", "stco"}) {
    const AtomNode* leaf = Child(*stbl, name);
    ASSERT_NE(leaf, nullptr) << name;
    EXPECT_TRUE(leaf->isRaw) << name;
    EXPECT_EQ(leaf->data.size(), leaf->size) << name;
    EXPECT_TRUE(leaf->children.empty()) << name;
  }
  const AtomNode* stts = Child(*stbl, "stts");
  EXPECT_EQ(stts->data, Cat({Be32(0), Be32(1), Be32(90), Be32(3000)}));
  EXPECT_EQ(stts->readOffset, stts->offset);
  EXPECT_EQ(stts->readSize, stts->size);

  // Every list holds its nodes: two tracks give two of the per-track atoms.
  EXPECT_EQ(movie->list(MovieFile::kMdat).size(), 1u);
  EXPECT_EQ(movie->list(MovieFile::kUdat).size(), 1u);
  EXPECT_EQ(movie->list(MovieFile::kStts).size(), 2u);
  EXPECT_EQ(movie->list(MovieFile::kMdhd).size(), 2u);
  EXPECT_EQ(movie->list(MovieFile::kTkhd).size(), 2u);
  EXPECT_EQ(movie->list(MovieFile::kMvhd).size(), 1u);
  EXPECT_EQ(movie->list(MovieFile::kStsd).size(), 1u);
  EXPECT_EQ(movie->list(MovieFile::kElst).size(), 0u);
}

TEST_F(MovieFileTest, ListsAreInPreOrderAndQueriesUseTheFirst) {
  // The audio track comes first here: its stts is listed first and answers.
  const Bytes file = Cat(
      {atoms::Ftyp(),
       Atom("moov",
            {Atom("trak", {Atom("mdia", {Atom("minf", {Atom("stbl", {atoms::Stts(130, 1024)})})})}),
             atoms::Track(1920, 1080, 1800, 3000)})});
  auto movie = OpenBytes(file);
  ASSERT_NE(movie, nullptr);
  const auto& stts = movie->list(MovieFile::kStts);
  ASSERT_EQ(stts.size(), 2u);
  EXPECT_LT(stts[0]->offset, stts[1]->offset);
  EXPECT_EQ(stts[0]->depth, 6);
  EXPECT_EQ(movie->FrameCount(), 130);
  EXPECT_FLOAT_EQ(movie->FrameRate(), 90000.0f / 1024.0f);
  EXPECT_EQ(movie->GetFrameSize().width, 1920);

  // A node comes before its children.
  const auto& tkhd = movie->list(MovieFile::kTkhd);
  ASSERT_EQ(tkhd.size(), 1u);
  EXPECT_LT(tkhd[0]->offset, movie->list(MovieFile::kStsd)[0]->offset);
}

TEST_F(MovieFileTest, QueriesAnswerFromTheFirstTrackOrMinusOne) {
  struct Case {
    const char* what;
    Bytes moov;
    std::int32_t width, height;
    std::int64_t frames;
    float rate;
  };
  const std::vector<Case> cases = {
      {"1080p at 30", Atom("moov", {atoms::Track(1920, 1080, 1800, 3000)}), 1920, 1080, 1800,
       30.0f},
      {"29.97", Atom("moov", {atoms::Track(640, 360, 899, 3003)}), 640, 360, 899,
       90000.0f / 3003.0f},
      {"no stsd, no stts", Atom("moov", {Atom("mvhd", Bytes(100, 0))}), -1, -1, -1, -1.0f},
      {"delta 0", Atom("moov", {atoms::Stts(10, 0)}), -1, -1, 10, -1.0f},
      {"entry count claims 0x40000000 entries, holds one",
       Atom("moov", {atoms::Stts(25, 3600, 0x40000000)}), -1, -1, 25, 25.0f},
      {"entry count 0xFFFFFFFF", Atom("moov", {atoms::Stts(25, 3600, 0xFFFFFFFF)}), -1, -1, 25,
       25.0f},
      {"stts without an entry", Atom("moov", {Atom("stts", Cat({Be32(0), Be32(1)}))}), -1, -1, -1,
       -1.0f},
      {"stts cut after the count", Atom("moov", {Atom("stts", Cat({Be32(0), Be32(1), Be32(7)}))}),
       -1, -1, 7, -1.0f},
      {"stsd too short for a video entry", Atom("moov", {Atom("stsd", Bytes(40, 1))}), -1, -1, -1,
       -1.0f},
  };
  for (const Case& c : cases) {
    auto movie = OpenBytes(Cat({atoms::Ftyp(), c.moov}));
    ASSERT_NE(movie, nullptr) << c.what;
    EXPECT_EQ(movie->GetFrameSize().width, c.width) << c.what;
    EXPECT_EQ(movie->GetFrameSize().height, c.height) << c.what;
    EXPECT_EQ(movie->FrameCount(), c.frames) << c.what;
    EXPECT_FLOAT_EQ(movie->FrameRate(), c.rate) << c.what;
  }
}

TEST_F(MovieFileTest, SampleTablesWithCountsBeyondTheirAtom) {
  for (const char* name : {"stsz", "stco", "stss"}) {
    for (std::uint32_t count : {0xFFFFFFFFu, 0x40000000u}) {
      const Bytes table = atoms::Table(name, {1, 2, 3}, count);
      auto movie = OpenBytes(Cat({atoms::Ftyp(), Atom("moov", {table, atoms::Stts(3, 3000)})}));
      ASSERT_NE(movie, nullptr) << name << " " << count;
      const auto list = name == std::string_view("stsz")   ? MovieFile::kStsz
                        : name == std::string_view("stco") ? MovieFile::kStco
                                                           : MovieFile::kStss;
      ASSERT_EQ(movie->list(list).size(), 1u) << name;
      const AtomNode& node = *movie->list(list)[0];
      // The copy holds the atom's bytes, not what the count claims.
      EXPECT_EQ(node.data.size(), table.size() - 8) << name;
      EXPECT_EQ(node.data.size(), node.size) << name;
      EXPECT_EQ(movie->FrameCount(), 3) << name;
    }
  }
}

TEST_F(MovieFileTest, UnknownNameCutsTheTree) {
  const Bytes file = Cat({atoms::Ftyp(), Atom("wide", Bytes(8, 0)), atoms::Moov()});
  auto movie = OpenBytes(file);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(TopLevel(*movie), (std::vector<std::string>{"ftyp"}));
  EXPECT_TRUE(movie->root.isRaw);
  EXPECT_TRUE(movie->list(MovieFile::kStts).empty());
  EXPECT_EQ(movie->FrameCount(), -1);

  // Inside a container the same: moov keeps mvhd and stops at the unknown atom.
  auto inner =
      OpenBytes(Cat({atoms::Ftyp(), Atom("moov", {Atom("mvhd", Bytes(100, 0)),
                                                  Atom("Moov", Bytes(4, 0)), atoms::Stts(1, 1)})}));
  ASSERT_NE(inner, nullptr);
  const AtomNode& moov = inner->root.children[1];
  ASSERT_EQ(moov.children.size(), 1u);
  EXPECT_EQ(moov.children[0].Name(), "mvhd");
  EXPECT_TRUE(moov.isRaw);
  EXPECT_TRUE(moov.data.empty());
}

TEST_F(MovieFileTest, ContainerOnlyWhenContentStartsWithAKnownHeader) {
  struct Case {
    const char* what;
    Bytes content;
    bool container;
  };
  const std::vector<Case> cases = {
      {"a free atom inside", Atom("free", Bytes(4, 0)), true},
      {"version and flags first", Cat({Be32(0), Be32(1), Be32(2)}), false},
      {"four bytes", Text("free"), false},
      {"eight bytes naming a known atom", Cat({Be32(8), Text("skip")}), true},
      {"seven bytes", Cat({Be32(8), Text("ski")}), false},
      {"name differs in case", Cat({Be32(8), Text("SKIP")}), false},
  };
  for (const Case& c : cases) {
    auto movie = OpenBytes(Cat({atoms::Ftyp(), Atom("udta", c.content)}));
    ASSERT_NE(movie, nullptr) << c.what;
    ASSERT_EQ(movie->root.children.size(), 2u) << c.what;
    const AtomNode& udta = movie->root.children[1];
    EXPECT_TRUE(udta.data.empty()) << c.what;  // a leaf nobody reads stays in the file
    EXPECT_EQ(udta.ContentInFile(), !c.container) << c.what;
    if (!c.container) {
      EXPECT_EQ(udta.readOffset, atoms::Ftyp().size() + 8) << c.what;
      EXPECT_EQ(udta.readSize, c.content.size()) << c.what;
    } else {
      EXPECT_EQ(udta.children.size(), 1u) << c.what;
    }
  }
}

TEST_F(MovieFileTest, BadAtomSizesCutTheirContainer) {
  const Bytes tail = Bytes(16, 0);
  struct Case {
    const char* what;
    std::uint32_t size;
  };
  std::vector<Case> cases = {{"size 0", 0}, {"64-bit size form", 1}};
  for (std::uint32_t size = 2; size < 8; ++size) cases.push_back({"size below 8", size});
  cases.push_back({"past the container", 200});
  cases.push_back({"past the file", 0x7FFFFFFF});
  cases.push_back({"largest", 0xFFFFFFFF});
  for (const Case& c : cases) {
    // Inside moov, after mvhd; moov itself is sound.
    const Bytes bad = AtomWithSize(c.size, "stts", tail);
    const Bytes moov = Atom("moov", Cat({Atom("mvhd", Bytes(100, 0)), bad}));
    auto movie = OpenBytes(Cat({atoms::Ftyp(), moov, atoms::Udat(atoms::SampleRecords(1))}));
    ASSERT_NE(movie, nullptr) << c.what << " " << c.size;
    EXPECT_EQ(TopLevel(*movie), (std::vector<std::string>{"ftyp", "moov", "udat"})) << c.what;
    const AtomNode& moovNode = movie->root.children[1];
    ASSERT_EQ(moovNode.children.size(), 1u) << c.what << " " << c.size;
    EXPECT_TRUE(moovNode.isRaw) << c.what;
    EXPECT_TRUE(movie->list(MovieFile::kStts).empty()) << c.what;

    // At the top level (as the last atom) the walk stops at the bad atom.
    auto top = OpenBytes(Cat({atoms::Ftyp(), bad}));
    ASSERT_NE(top, nullptr) << c.what;
    EXPECT_EQ(TopLevel(*top), (std::vector<std::string>{"ftyp"})) << c.what << " " << c.size;
  }
}

// Writes a file of atoms whose content is a hole (no disk space used) but
// for the small atoms given whole.
std::filesystem::path WriteSparseAtoms(const std::filesystem::path& path,
                                       const std::vector<std::pair<std::uint32_t, Bytes>>& atoms) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::uint64_t at = 0;
  for (const auto& [size, head] : atoms) {
    EXPECT_EQ(::pwrite(fd, head.data(), head.size(), static_cast<off_t>(at)),
              static_cast<ssize_t>(head.size()));
    at += size;
  }
  EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(at)), 0);
  ::close(fd);
  return path;
}

TEST_F(MovieFileTest, OnlyHeadersAndTablesAreCopiedWithinLimits) {
  constexpr std::uint32_t kMiB = 1024 * 1024;
  const auto header = [](std::uint32_t size, std::string_view name) {
    return Cat({Be32(size), Text(name)});
  };
  const Bytes stts = atoms::Stts(90, 3000);
  const auto path = WriteSparseAtoms(
      dir_.path() / "sparse.MOV",
      {{static_cast<std::uint32_t>(atoms::Ftyp().size()), atoms::Ftyp()},
       {static_cast<std::uint32_t>(stts.size()), stts},
       {0xFFFFFFFFu, header(0xFFFFFFFFu, "free")},  // 4 GiB of nothing
       {1024 * kMiB, header(1024 * kMiB, "uuid")},  // an unknown leaf
       {20 * kMiB, header(20 * kMiB, "stsz")},      // a table past the leaf limit
       {15 * kMiB, header(15 * kMiB, "stss")},      // four tables fill the budget...
       {15 * kMiB, header(15 * kMiB, "stss")},
       {15 * kMiB, header(15 * kMiB, "stss")},
       {15 * kMiB, header(15 * kMiB, "stss")},
       {15 * kMiB, header(15 * kMiB, "stss")}});  // ...and the fifth stays in the file
  auto movie = MovieFile::Open(path, true);
  ASSERT_NE(movie, nullptr);
  ASSERT_EQ(TopLevel(*movie), (std::vector<std::string>{"ftyp", "stts", "free", "uuid", "stsz",
                                                        "stss", "stss", "stss", "stss", "stss"}));
  const std::vector<AtomNode>& top = movie->root.children;
  EXPECT_TRUE(top[0].ContentInFile());  // read by nobody
  EXPECT_EQ(top[1].data, Bytes(stts.begin() + 8, stts.end()));
  for (std::size_t i : {0, 2, 3, 4, 9}) {
    EXPECT_TRUE(top[i].data.empty()) << top[i].Name();
    EXPECT_TRUE(top[i].ContentInFile()) << top[i].Name();
  }
  for (std::size_t i : {5, 6, 7, 8}) EXPECT_EQ(top[i].data.size(), 15 * kMiB - 8);
  EXPECT_EQ(top[2].readSize, 0xFFFFFFFFu - 8);
  EXPECT_EQ(movie->FrameCount(), 90);
}

TEST_F(MovieFileTest, DeepNestingIsRefused) {
  Bytes nested = Atom("free", Bytes(4, 0));
  for (int i = 0; i < 10000; ++i) nested = Atom("moov", nested);
  std::string error;
  EXPECT_EQ(MovieFile::Open(atoms::WriteIn(dir_.path(), "deep.MOV", Cat({atoms::Ftyp(), nested})),
                            false, &error),
            nullptr);
  EXPECT_NE(error.find("nested"), std::string::npos) << error;

  // As deep as the walk allows still opens.
  Bytes allowed = Atom("free", Bytes(4, 0));
  for (int i = 1; i < MovieFile::kMaxDepth; ++i) allowed = Atom("moov", allowed);
  EXPECT_NE(OpenBytes(Cat({atoms::Ftyp(), allowed})), nullptr);
}

TEST_F(MovieFileTest, FileCutAtAndAroundEveryTopLevelBoundary) {
  const std::vector<Bytes> parts = {atoms::Ftyp(), atoms::Mdat(), atoms::Moov(),
                                    atoms::Udat(atoms::SampleRecords(2)), atoms::Closing()};
  const std::vector<std::string> names = {"ftyp", "mdat", "moov", "udat", "free"};
  Bytes whole;
  std::vector<std::size_t> ends;
  for (const Bytes& part : parts) {
    atoms::Append(whole, part);
    ends.push_back(whole.size());
  }
  for (std::size_t boundary : ends) {
    for (std::size_t cut : {boundary - 1, boundary, boundary + 1}) {
      if (cut > whole.size()) continue;
      const Bytes file(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
      auto movie = OpenBytes(file);
      ASSERT_NE(movie, nullptr) << cut;
      // Exactly the atoms that end inside the file are there.
      std::vector<std::string> expected;
      for (std::size_t i = 0; i < ends.size(); ++i) {
        if (ends[i] <= cut) expected.push_back(names[i]);
      }
      EXPECT_EQ(TopLevel(*movie), expected) << cut;
      EXPECT_EQ(movie->root.isRaw, cut != whole.size() && cut != boundary) << cut;
      movie->RecordingStart();
      movie->FrameCount();
    }
  }
}

TEST_F(MovieFileTest, LeafCutByTheEndOfTheFile) {
  Bytes file = Cat({atoms::Ftyp(), atoms::Mdat(), atoms::Moov()});
  file.resize(file.size() - 10);  // inside the last stts
  auto movie = OpenBytes(file);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(TopLevel(*movie), (std::vector<std::string>{"ftyp", "mdat"}));
  EXPECT_TRUE(movie->list(MovieFile::kStts).empty());
}

TEST_F(MovieFileTest, RecordingStart) {
  struct Case {
    const char* what;
    Bytes udat;
    std::optional<CalendarTime> start;
  };
  std::string later = atoms::SampleRecord(0, "240229235959");
  later.replace(44, 3, "002");
  const std::vector<Case> cases = {
      {"first record", atoms::Udat(atoms::SampleRecords(3)),
       CalendarTime{2023, 8, 2, 15, 14, 30, 0, 0}},
      {"seconds added across midnight", atoms::Udat({later}),
       CalendarTime{2024, 3, 5, 1, 0, 0, 1, 0}},
      {"count 0", atoms::Udat({}), CalendarTime{}},
      {"marker later in the atom",
       Atom("udat", Cat({Text("CCSMDA"), Text("CSMDAT"), Text(atoms::HeaderBlock()), atoms::Be16(1),
                         Text(atoms::SampleRecord(0))})),
       CalendarTime{2023, 8, 2, 15, 14, 30, 0, 0}},
      {"no marker", Atom("udat", Bytes(200, 'x')), std::nullopt},
      {"count claims a record that is not there",
       Atom("udat", Cat({Text("CSMDAT"), Text(atoms::HeaderBlock()), atoms::Be16(5)})),
       std::nullopt},
  };
  for (const Case& c : cases) {
    // The udat is the file's last atom, so nothing follows the marker.
    auto movie = OpenBytes(Cat({atoms::Ftyp(), atoms::Moov(), c.udat}));
    ASSERT_NE(movie, nullptr) << c.what;
    EXPECT_EQ(movie->RecordingStart(), c.start) << c.what;
  }
  auto none = OpenBytes(Cat({atoms::Ftyp(), atoms::Moov()}));
  EXPECT_EQ(none->RecordingStart(), std::nullopt);
}

TEST_F(MovieFileTest, FileThatShrinksAfterOpen) {
  const std::filesystem::path path =
      atoms::WriteIn(dir_.path(), "shrink.MOV", atoms::RecorderMovie(20));
  auto movie = MovieFile::Open(path, false);
  ASSERT_NE(movie, nullptr);
  ASSERT_EQ(::truncate(path.c_str(), 100), 0);
  // The copied leaves still answer; reading the sensor atom fails cleanly.
  EXPECT_EQ(movie->FrameCount(), 90);
  EXPECT_EQ(movie->RecordingStart(), std::nullopt);

  std::filesystem::remove(path);
  EXPECT_EQ(movie->RecordingStart(), std::nullopt);
  movie->Close();
  EXPECT_EQ(movie->fileSize, 0u);
  EXPECT_TRUE(movie->root.children.empty());
  EXPECT_TRUE(movie->list(MovieFile::kStts).empty());
}

TEST_F(MovieFileTest, ExamineRootDecidesTheRoot) {
  auto movie = OpenBytes(atoms::RecorderMovie(2), true);
  ASSERT_NE(movie, nullptr);
  EXPECT_FALSE(movie->root.isRaw);
  EXPECT_TRUE(movie->root.data.empty());

  // A file that is no atom sequence is a leaf when examined, but never copied.
  const Bytes text = Text("this is not a movie, just some text");
  auto examined = OpenBytes(text, true);
  ASSERT_NE(examined, nullptr);
  EXPECT_TRUE(examined->root.ContentInFile());
  auto plain = OpenBytes(text, false);
  ASSERT_NE(plain, nullptr);
  EXPECT_TRUE(plain->root.data.empty());
  EXPECT_TRUE(plain->root.children.empty());
}

TEST_F(MovieFileTest, UnreadableFiles) {
  std::string error;
  EXPECT_EQ(MovieFile::Open(dir_.path() / "missing.MOV", false, &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(MovieFile::Open(dir_.path(), false), nullptr);  // a folder

  auto empty = OpenBytes({});
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->root.children.empty());
  EXPECT_EQ(empty->FrameCount(), -1);
  EXPECT_EQ(empty->RecordingStart(), std::nullopt);
}

TEST_F(MovieFileTest, UdatCountBeyondTheAtomCountsOnlyWholeRecords) {
  struct Case {
    std::uint16_t countField;
    int records;
    bool closed;
    std::uint64_t expected;
  };
  for (const Case& c : std::vector<Case>{{0xFFFF, 3, true, 3},
                                         {5, 2, false, 2},
                                         {2, 2, false, 2},
                                         {1, 3, true, 1},
                                         {0x4000, 0, true, 0}}) {
    auto movie = OpenBytes(
        Cat({atoms::Ftyp(), atoms::Udat(atoms::SampleRecords(c.records), c.countField, c.closed)}));
    ASSERT_NE(movie, nullptr);
    const AtomNode& udat = movie->root.children[1];
    EXPECT_EQ(udat.recordCount, c.expected) << c.countField;
    EXPECT_EQ(udat.recordBytes, c.expected * 124);
    EXPECT_LE(udat.recordBytes + 34, udat.size);
  }
  // A udat too short to hold the count field.
  auto tiny = OpenBytes(Cat({atoms::Ftyp(), Atom("udat", Text("CSMDAT"))}));
  ASSERT_NE(tiny, nullptr);
  EXPECT_EQ(tiny->root.children[1].recordCount, 0u);
}

}  // namespace
