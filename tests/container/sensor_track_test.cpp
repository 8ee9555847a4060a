#include "container/sensor_track.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <thread>

#include "atom_builder.h"
#include "container/named_mutex.h"
#include "temp_dir.h"

namespace {

using atoms::Atom;
using atoms::AtomWithSize;
using atoms::Bytes;
using atoms::Cat;
using atoms::Text;

class SensorTrackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
  }

  std::filesystem::path Write(const Bytes& bytes, std::string_view name = "track.MOV") {
    return atoms::WriteIn(dir_.path(), name, bytes);
  }

  // A track of `n` loaded records.
  void LoadRecords(SensorTrack& track, int n) {
    ASSERT_TRUE(track.Load(Write(atoms::RecorderMovie(n))));
    ASSERT_EQ(track.count, n);
  }

  TempDir dir_;
};

TEST_F(SensorTrackTest, LoadsTheRecordsAndTheMediaSize) {
  std::vector<std::string> records = atoms::SampleRecords(3);
  records[1][75] = 'D';
  records[2][122] = 'M';
  atoms::Put(records[2], 57, "-1500");
  const std::filesystem::path path = Write(atoms::RecorderMovie(atoms::Udat(records)));
  SensorTrack track;
  ASSERT_TRUE(track.Load(path));
  EXPECT_TRUE(track.loaded);
  EXPECT_EQ(track.path, path);
  EXPECT_EQ(track.fileSize, std::filesystem::file_size(path));
  EXPECT_EQ(track.count, 3);
  EXPECT_EQ(track.mediaSize, atoms::Mdat().size());
  ASSERT_EQ(track.positions.size(), 3u);
  ASSERT_EQ(track.accels.size(), 3u);
  ASSERT_EQ(track.vehicles.size(), 3u);
  EXPECT_TRUE(track.header.decoded);
  EXPECT_EQ(track.header.mode, 'D');
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(track.positions[i].sequence, i);
    EXPECT_EQ(track.positions[i].frame, i * 100);
    EXPECT_EQ(track.accels[i].sequence, i);
    EXPECT_EQ(track.vehicles[i].sequence, i);
  }
  EXPECT_EQ(track.positions[0].time, (CalendarTime{2023, 8, 2, 15, 14, 30, 0, 0}));
  EXPECT_EQ(track.accels[1].event, 6);
  EXPECT_EQ(track.accels[2].manual, 1);
  EXPECT_DOUBLE_EQ(track.accels[2].x, -1.5);
  EXPECT_TRUE(track.frameIndex.empty());
}

TEST_F(SensorTrackTest, BadSensorAtoms) {
  const std::vector<std::string> three = atoms::SampleRecords(3);
  std::string garbled = atoms::SampleRecord(0);
  for (std::size_t i = 6; i < 72; ++i) garbled[i] = static_cast<char>(0x80 + i);
  const std::string header = atoms::HeaderBlock();
  struct Case {
    const char* what;
    Bytes file;
    std::int32_t count;
    bool header;
    std::vector<atoms::Stretch> after = {};  // written after `file`, holes left unwritten
  };
  Bytes flood;
  for (int i = 0; i < 20000; ++i) atoms::Append(flood, Atom("free", Bytes{}));
  const std::vector<Case> cases = {
      {"count 0", atoms::RecorderMovie(0), 0, true},
      {"count 0xFFFF, three records", atoms::RecorderMovie(atoms::Udat(three, 0xFFFF)), 3, true},
      {"count larger than the rest of the file",
       Cat({atoms::Ftyp(), atoms::Udat(three, 0x4000, false)}), 3, true},
      {"udat cut by the end of the file",
       [&] {
         Bytes file = Cat({atoms::Ftyp(), atoms::Udat(three, 3, true)});
         file.resize(file.size() - 6 - 124 - 50);
         return file;
       }(),
       1, true},
      {"CSMEND missing", atoms::RecorderMovie(atoms::Udat(three, 3, false)), 3, true},
      {"CSMDAT missing",
       atoms::RecorderMovie(Atom("udat", Cat({Text("XSMDAT"), Text(header), atoms::Be16(3),
                                              Text(three[0] + three[1] + three[2])}))),
       0, false},
      {"udat too short for a count", Cat({atoms::Ftyp(), Atom("udat", Text("CSMDAT"))}), 0, false},
      {"garbage instead of digits", atoms::RecorderMovie(atoms::Udat({garbled})), 1, true},
      {"no udat", Cat({atoms::Ftyp(), atoms::Mdat(), atoms::Moov()}), 0, false},
      {"size 0 before the udat",
       Cat({atoms::Ftyp(), AtomWithSize(0, "free", {}), atoms::Udat(three)}), 0, false},
      {"size 1 (64-bit form) before the udat",
       Cat({atoms::Ftyp(), AtomWithSize(1, "mdat", Bytes(8, 0)), atoms::Udat(three)}), 0, false},
      {"size 7 before the udat",
       Cat({atoms::Ftyp(), AtomWithSize(7, "free", Bytes(8, 0)), atoms::Udat(three)}), 0, false},
      {"stray bytes after the last atom", Cat({atoms::RecorderMovie(3), Bytes(5, 0)}), 3, true},
      {"empty file", {}, 0, false},
      {"20000 atoms of 8 bytes before the udat", Cat({atoms::Ftyp(), flood, atoms::Udat(three)}), 3,
       true},
      {"a size field 4 GiB past the end of the file before the udat",
       Cat({atoms::Ftyp(), AtomWithSize(0xFFFFFFF8, "free", {}), atoms::Udat(three)}), 0, false},
      {"two 4 GiB atoms that the file holds as holes before the udat",
       atoms::Ftyp(),
       3,
       true,
       {atoms::HollowAtom("free", 0xFFFFFFF8),
        atoms::HollowAtom("uuid", 0xFFFFFFF8),
        {atoms::Udat(three)}}},
  };
  for (const Case& c : cases) {
    std::vector<atoms::Stretch> stretches = {{c.file}};
    stretches.insert(stretches.end(), c.after.begin(), c.after.end());
    const std::filesystem::path path = dir_.path() / "track.MOV";
    ASSERT_TRUE(atoms::WriteSparse(path, stretches)) << c.what;
    SensorTrack track;
    ASSERT_TRUE(track.Load(path)) << c.what;
    EXPECT_EQ(track.count, c.count) << c.what;
    EXPECT_EQ(track.positions.size(), static_cast<std::size_t>(c.count)) << c.what;
    EXPECT_EQ(track.header.decoded, c.header) << c.what;
    EXPECT_EQ(track.RecordCount(path), c.count) << c.what;
    for (const PositionRecord& position : track.positions) {
      EXPECT_TRUE(std::isfinite(position.latitude) && std::isfinite(position.longitude)) << c.what;
    }
  }
}

TEST_F(SensorTrackTest, GarbledRecordDecodesToDefinedValues) {
  std::string record(124, '\xee');
  SensorTrack track;
  ASSERT_TRUE(track.Load(Write(atoms::RecorderMovie(atoms::Udat({record})))));
  ASSERT_EQ(track.count, 1);
  EXPECT_EQ(track.positions[0].valid, 0);
  EXPECT_DOUBLE_EQ(track.positions[0].latitude, 0.0);
  EXPECT_DOUBLE_EQ(track.positions[0].speed, 0.0);
  EXPECT_EQ(track.positions[0].time, CalendarTime{});
  EXPECT_EQ(track.accels[0].event, -1);
  EXPECT_EQ(track.accels[0].axis, 0);
  EXPECT_EQ(track.vehicles[0].words[0], 0xEEEE);
}

TEST_F(SensorTrackTest, LoadFailsCleanlyOnUnreadableFiles) {
  SensorTrack track;
  LoadRecords(track, 3);
  EXPECT_FALSE(track.Load(dir_.path() / "missing.MOV"));
  EXPECT_FALSE(track.loaded);
  EXPECT_EQ(track.count, 0);
  EXPECT_TRUE(track.positions.empty());
  EXPECT_TRUE(track.path.empty());
  EXPECT_FALSE(track.Load(dir_.path()));
  EXPECT_EQ(track.RecordCount(dir_.path() / "missing.MOV"), std::nullopt);
}

// The load opens the file, then waits for "hMutexFind"; the file shrinks
// while it waits. The scan must fail, not read stale or missing bytes.
TEST_F(SensorTrackTest, FileShrinksDuringALoad) {
  const std::filesystem::path path = Write(atoms::RecorderMovie(50));
  std::recursive_mutex& find = NamedMutex("hMutexFind");
  find.lock();
  SensorTrack track;
  std::atomic<bool> done{false};
  bool result = true;
  std::thread loader([&] {
    result = track.Load(path);
    done = true;
  });
  // Wait until the loader holds the file open.
  const auto isOpen = [&] {
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      if (std::filesystem::read_symlink(fd.path(), error) == path) return true;
    }
    return false;
  };
  while (!isOpen()) std::this_thread::yield();
  EXPECT_FALSE(done);  // the scan waits for the lock
  ASSERT_EQ(::truncate(path.c_str(), 200), 0);
  find.unlock();
  loader.join();
  EXPECT_FALSE(result);
  EXPECT_FALSE(track.loaded);
  EXPECT_TRUE(track.positions.empty());
}

TEST_F(SensorTrackTest, CancelStopsTheNextScanAndIsCleared) {
  const std::filesystem::path path = Write(atoms::RecorderMovie(20));
  SensorTrack track;
  track.cancel = true;
  EXPECT_FALSE(track.Load(path));
  EXPECT_FALSE(track.cancel);
  EXPECT_TRUE(track.Load(path));
  track.cancel = true;
  EXPECT_EQ(track.FrameRateScan(path), std::nullopt);
  EXPECT_FALSE(track.cancel);
  EXPECT_EQ(track.FrameRateScan(path), 30.0f);
}

TEST_F(SensorTrackTest, LoadHeader) {
  SensorTrack track;
  TrackHeader header;
  ASSERT_TRUE(track.LoadHeader(Write(atoms::RecorderMovie(atoms::Udat(
                                   atoms::SampleRecords(2), 2, true, atoms::HeaderBlock('M')))),
                               &header));
  EXPECT_TRUE(header.decoded);
  EXPECT_EQ(header.mode, 'M');
  EXPECT_EQ(header.quality, 'H');
  EXPECT_EQ(header.numbers[3], 4.0f);
  EXPECT_TRUE(track.positions.empty());  // only the header was read

  ASSERT_TRUE(track.LoadHeader(Write(Cat({atoms::Ftyp(), atoms::Moov()})), &header));
  EXPECT_FALSE(header.decoded);
  EXPECT_FALSE(track.LoadHeader(dir_.path() / "missing.MOV", &header));
}

TEST_F(SensorTrackTest, RecordCountDecidesPlayability) {
  SensorTrack track;
  EXPECT_EQ(track.RecordCount(Write(atoms::RecorderMovie(15))), 15);
  EXPECT_EQ(track.RecordCount(Write(atoms::RecorderMovie(16))), 16);
  EXPECT_EQ(
      track.RecordCount(Write(atoms::RecorderMovie(atoms::Udat(atoms::SampleRecords(4), 0xFFFF)))),
      4);
}

TEST_F(SensorTrackTest, FrameRateScanIsAnIntegerQuotient) {
  struct Case {
    const char* what;
    Bytes file;
    std::optional<float> unit;
  };
  const Bytes ftyp = atoms::Ftyp();
  const std::vector<Case> cases = {
      {"30 fps", Cat({ftyp, atoms::Moov(90, 3000)}), 30.0f},
      {"29.97 fps", Cat({ftyp, atoms::Moov(90, 3003)}), 29.0f},
      {"60 fps", Cat({ftyp, atoms::Moov(90, 1500)}), 60.0f},
      {"delta 0", Cat({ftyp, atoms::Moov(90, 0)}), std::nullopt},
      {"delta above 90000", Cat({ftyp, atoms::Moov(90, 90001)}), 0.0f},
      {"no moov", Cat({ftyp, atoms::Mdat()}), std::nullopt},
      {"stbl without stts",
       Cat({ftyp,
            Atom("moov",
                 {Atom("trak",
                       {Atom("mdia",
                             {Atom("minf", {Atom("stbl", {atoms::Table("stco", {8}, 1)})})})})})}),
       std::nullopt},
      {"stts too short",
       Cat({ftyp,
            Atom("moov",
                 {Atom("trak",
                       {Atom("mdia",
                             {Atom("minf", {Atom("stbl", {Atom("stts", Bytes(12, 0))})})})})})}),
       std::nullopt},
      {"size 0 on the way",
       Cat({ftyp,
            Atom("moov", {AtomWithSize(0, "mvhd", Bytes(8, 0)), atoms::Track(8, 8, 1, 3000)})}),
       std::nullopt},
      {"child past its parent",
       Cat({ftyp, Atom("moov", {AtomWithSize(4000, "mvhd", Bytes(8, 0))}), atoms::Moov()}),
       std::nullopt},
      // The path is followed inside moov only: a trak after moov is not taken.
      {"trak outside moov",
       Cat({ftyp, Atom("moov", {Atom("mvhd", Bytes(8, 0))}), atoms::Track(8, 8, 1, 3000)}),
       std::nullopt},
      {"empty file", {}, std::nullopt},
  };
  SensorTrack track;
  for (const Case& c : cases) EXPECT_EQ(track.FrameRateScan(Write(c.file)), c.unit) << c.what;
}

TEST_F(SensorTrackTest, MapFramesWithThreeRecords) {
  SensorTrack track;
  LoadRecords(track, 3);
  track.frameTime = 10;
  ASSERT_TRUE(track.MapFrames(30));
  EXPECT_EQ(track.accels[0].frame, 0);
  EXPECT_EQ(track.accels[1].frame, 10);
  EXPECT_EQ(track.accels[2].frame, 20);
  EXPECT_EQ(track.positions[2].frame, 20);
  ASSERT_EQ(track.frameIndex.size(), 30u);
  // Each frame shows the record before the cursor: a lag of one record.
  std::vector<int> shown;
  for (AccelRecord* accel : track.frameIndex) shown.push_back(accel->sequence);
  std::vector<int> expected(30, 0);
  for (int i = 10; i < 30; ++i) expected[i] = 1;  // record n - 2 after the track
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(track.frameIndex[15], &track.accels[1]);

  // Mapping again (another frame unit) starts from the records' stamps.
  track.frameTime = 30;
  ASSERT_TRUE(track.MapFrames(30));
  EXPECT_EQ(track.accels[1].frame, 3);
  EXPECT_EQ(track.accels[2].frame, 6);
}

TEST_F(SensorTrackTest, MapFramesCursorMovesAtMostOneRecordAFrame) {
  SensorTrack track;
  LoadRecords(track, 6);
  track.frameTime = 100;  // one frame per record: stamps become frames 0..5
  ASSERT_TRUE(track.MapFrames(8));
  std::vector<int> shown;
  for (AccelRecord* accel : track.frameIndex) shown.push_back(accel->sequence);
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 4, 4, 4}));

  // Records closer than a frame: the cursor still moves one record a frame.
  track.frameTime = 1000;  // frames 0,0,0,0,0,0
  ASSERT_TRUE(track.MapFrames(8));
  shown.clear();
  for (AccelRecord* accel : track.frameIndex) shown.push_back(accel->sequence);
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 4, 4, 4}));

  SensorTrack one;
  LoadRecords(one, 1);
  one.frameTime = 30;
  ASSERT_TRUE(one.MapFrames(4));
  for (AccelRecord* accel : one.frameIndex) EXPECT_EQ(accel, &one.accels[0]);

  SensorTrack none;
  LoadRecords(none, 0);
  none.frameTime = 30;
  ASSERT_TRUE(none.MapFrames(4));
  for (AccelRecord* accel : none.frameIndex) EXPECT_EQ(accel, nullptr);
  EXPECT_EQ(none.peakG, 0.0);
}

TEST_F(SensorTrackTest, MapFramesLinksRecordsFiveBehind) {
  SensorTrack track;
  LoadRecords(track, 12);
  track.frameTime = 50;  // frames 0, 2, 4, ...
  ASSERT_TRUE(track.MapFrames(30));
  for (int a = 0; a < 12; ++a) {
    // Equal frames: every position takes the acceleration record of its own
    // sequence, and the position cursor stands one ahead (at most the last).
    EXPECT_EQ(track.positions[a].accel, &track.accels[a]) << a;
    EXPECT_EQ(track.positions[a].vehicle, &track.vehicles[a]) << a;
    const int p = std::min(a + 1, 11);
    const int back = p >= 5 ? p - 5 : 0;
    EXPECT_EQ(track.accels[a].position, &track.positions[back]) << a;
    EXPECT_EQ(track.accels[a].vehicle, &track.vehicles[back]) << a;
  }
}

TEST_F(SensorTrackTest, MapFramesPeakG) {
  std::vector<std::string> records = atoms::SampleRecords(3);
  atoms::Put(records[1], 62, "-2500");
  atoms::Put(records[2], 67, "02400");
  SensorTrack track;
  ASSERT_TRUE(track.Load(Write(atoms::RecorderMovie(atoms::Udat(records)))));
  track.frameTime = 30;
  ASSERT_TRUE(track.MapFrames(10));
  EXPECT_DOUBLE_EQ(track.peakG, 2.5);
}

TEST_F(SensorTrackTest, MapFramesRefusesBadArguments) {
  SensorTrack track;
  LoadRecords(track, 3);
  struct Case {
    float frameTime;
    std::int64_t frames;
  };
  for (const Case& c : std::vector<Case>{{0, 10},
                                         {-30, 10},
                                         {std::numeric_limits<float>::quiet_NaN(), 10},
                                         {std::numeric_limits<float>::infinity(), 10},
                                         {30, 0},
                                         {30, -1},
                                         {30, SensorTrack::kMaxFrames + 1},
                                         {30, 0xFFFFFFFFll}}) {
    track.frameTime = c.frameTime;
    EXPECT_FALSE(track.MapFrames(c.frames)) << c.frameTime << " " << c.frames;
  }
  // A tiny frame unit gives huge frame numbers, clamped instead of overflowing.
  track.frameTime = 1e-30f;
  ASSERT_TRUE(track.MapFrames(3));
  EXPECT_EQ(track.accels[2].frame, std::numeric_limits<std::int32_t>::max());
}

TEST_F(SensorTrackTest, LoadRouteStopsAtTheFirstUnreadableFile) {
  const std::filesystem::path a = Write(atoms::RecorderMovie(3), "a.MOV");
  const std::filesystem::path b = Write(atoms::RecorderMovie(2), "b.MOV");
  std::vector<PositionRecord> route;
  const std::vector<std::filesystem::path> both = {a, b};
  ASSERT_TRUE(SensorTrack::LoadRoute(both, &route));
  std::vector<int> sequences;
  for (const PositionRecord& position : route) sequences.push_back(position.sequence);
  EXPECT_EQ(sequences, (std::vector<int>{0, 1, 2, 0, 1}));
  EXPECT_EQ(route[4].frame, 100);  // stamps are not frame-mapped
  EXPECT_EQ(route[4].accel, nullptr);

  route.clear();
  const std::vector<std::filesystem::path> broken = {a, dir_.path() / "missing.MOV", b};
  EXPECT_FALSE(SensorTrack::LoadRoute(broken, &route));
  EXPECT_EQ(route.size(), 3u);
}

TEST_F(SensorTrackTest, MoveHandsTheRecordsOver) {
  SensorTrack ahead;
  LoadRecords(ahead, 5);
  const PositionRecord* records = ahead.positions.data();
  SensorTrack playing;
  LoadRecords(playing, 2);
  playing.frameTime = 30;
  ASSERT_TRUE(playing.MapFrames(10));
  SensorTrack::Move(ahead, playing);
  EXPECT_EQ(playing.count, 5);
  EXPECT_EQ(playing.positions.data(), records);  // not decoded or copied again
  EXPECT_TRUE(playing.frameIndex.empty());
  EXPECT_TRUE(playing.loaded);
  EXPECT_EQ(playing.frameTime, 30.0f);
  EXPECT_EQ(playing.mediaSize, atoms::Mdat().size());
  EXPECT_EQ(ahead.count, 0);
  EXPECT_TRUE(ahead.positions.empty());
  EXPECT_FALSE(ahead.loaded);
  ASSERT_TRUE(playing.MapFrames(10));
  EXPECT_EQ(playing.frameIndex[9]->sequence, 2);  // frames 0, 3, 6, 10, 13

  playing.Destroy();
  EXPECT_EQ(playing.count, 0);
  EXPECT_TRUE(playing.frameIndex.empty());
  EXPECT_TRUE(playing.path.empty());
}

}  // namespace
