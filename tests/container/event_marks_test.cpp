#include "container/event_marks.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

#include "container/sensor_track.h"

namespace {

AccelRecord Record(int axis, int event = -1, int flag8 = 0) {
  AccelRecord r;
  r.axis = axis;
  r.event = event;
  r.flag8 = flag8;
  return r;
}

// One frame per record.
void Fill(SensorTrack& track, const std::vector<AccelRecord>& records) {
  track.accels = records;
  track.frameIndex.clear();
  for (std::size_t i = 0; i < track.accels.size(); ++i) {
    track.accels[i].sequence = static_cast<std::int32_t>(i);
    track.frameIndex.push_back(&track.accels[i]);
  }
}

// (sequence, icon, channel) of each mark.
std::vector<std::tuple<int, int, int>> Marks(const std::vector<EventMark>& list) {
  std::vector<std::tuple<int, int, int>> marks;
  for (const EventMark& m : list) {
    EXPECT_EQ(m.record->sequence, m.sequence);
    marks.emplace_back(m.sequence, m.icon, m.channel);
  }
  return marks;
}

}  // namespace

TEST(EventMarksTest, EachChannelClassifiesItsOwnRecords) {
  constexpr int n = kNoMark;
  struct Case {
    AccelRecord record;
    std::array<int, kEventChannelCount> withGMarks;
    std::array<int, kEventChannelCount> withoutGMarks;
  };
  const Case cases[] = {
      {Record(0), {n, n, n, n, n, n, n, n}, {n, n, n, n, n, n, n, n}},
      {Record(1), {0, n, n, n, n, n, n, n}, {n, n, n, n, n, n, n, n}},
      {Record(2), {n, 2, n, n, n, n, n, n}, {n, n, n, n, n, n, n, n}},
      {Record(3), {n, n, 3, n, n, n, n, n}, {n, n, n, n, n, n, n, n}},
      {Record(0, 5), {n, n, n, 5, n, n, n, n}, {n, n, n, 5, n, n, n, n}},
      {Record(0, 6), {n, n, n, n, 6, n, n, n}, {n, n, n, n, 6, n, n, n}},
      {Record(0, 7), {n, n, n, n, n, 7, n, n}, {n, n, n, n, n, n, n, n}},
      {Record(0, -1, 8), {n, n, n, n, n, n, 8, n}, {n, n, n, n, n, n, 8, n}},
      {Record(0, 9), {n, n, n, n, n, n, n, 9}, {n, n, n, n, n, n, n, 9}},
      {Record(0, 10), {n, n, n, n, n, n, n, 10}, {n, n, n, n, n, n, n, 10}},
      {Record(0, 11), {n, n, n, n, n, n, n, 11}, {n, n, n, n, n, n, n, 11}},
      {Record(2, 6, 8), {n, 2, n, n, 6, n, 8, n}, {n, n, n, n, 6, n, 8, n}},
  };
  for (const Case& c : cases) {
    for (int channel = 0; channel < kEventChannelCount; ++channel) {
      EXPECT_EQ(ClassifyRecord(channel, c.record, true), c.withGMarks[channel])
          << "axis " << c.record.axis << " event " << c.record.event << " channel " << channel;
      EXPECT_EQ(ClassifyRecord(channel, c.record, false), c.withoutGMarks[channel])
          << "axis " << c.record.axis << " event " << c.record.event << " channel " << channel;
    }
  }
  const std::array<int, kIconCount> owners = {n, n, n, n, n, n, 4, 5, 6, 7, 7, 7};
  for (int icon = 0; icon < kIconCount; ++icon) EXPECT_EQ(OwningChannel(icon), owners[icon]);
}

TEST(EventMarksTest, EventListHasOneMarkPerRunAndFollowsTheSwitches) {
  SensorTrack track;
  Fill(track, {
                  Record(0),         // 0
                  Record(1),         // 1 X impact
                  Record(1),         // 2 the same run
                  Record(0, 5),      // 3 user point
                  Record(0, 5),      // 4 the same run
                  Record(2, -1, 8),  // 5 speeding begins, with a Y impact
                  Record(0, -1, 8),  // 6 speeding goes on
                  Record(0, 10),     // 7 drive assist
                  Record(3, 6),      // 8 Z impact and emergency stop
                  Record(0, 7),      // 9 parking impact
              });
  EventChannelSwitches on;
  using M = std::tuple<int, int, int>;
  EXPECT_EQ(Marks(CollectEventMarks(track, on, true)),
            (std::vector<M>{
                {1, 0, 0}, {3, 5, 3}, {5, 8, 6}, {5, 2, 1}, {7, 10, 7}, {8, 3, 2}, {9, 7, 5}}));
  // Without G marks the axes and parking say nothing: the emergency stop shows.
  EXPECT_EQ(Marks(CollectEventMarks(track, on, false)),
            (std::vector<M>{{3, 5, 3}, {5, 8, 6}, {7, 10, 7}, {8, 6, 4}}));

  EventChannelSwitches some = on;
  some[kChannelSpeeding].sentToMap = false;
  some[kChannelZ].sentToMap = false;
  some[kChannelDriveAssist].sentToMap = false;
  EXPECT_EQ(Marks(CollectEventMarks(track, some, true)),
            (std::vector<M>{{1, 0, 0}, {3, 5, 3}, {5, 2, 1}, {8, 6, 4}, {9, 7, 5}}));

  // Three frames a record give the same marks as the records themselves.
  std::vector<AccelRecord*> frames;
  for (AccelRecord* record : track.frameIndex) frames.insert(frames.end(), 3, record);
  const std::vector<std::tuple<int, int, int>> byRecord =
      Marks(CollectRecordMarks(track, some, true));
  track.frameIndex = frames;
  EXPECT_EQ(Marks(CollectEventMarks(track, some, true)), byRecord);
  EXPECT_EQ(byRecord.size(), 5u);
  track.frameIndex.resize(track.accels.size());
  for (std::size_t i = 0; i < track.accels.size(); ++i) track.frameIndex[i] = &track.accels[i];

  const MarkClass first = Classify(track, kChannelX, 1, true);
  EXPECT_EQ(first.icon, 0);
  EXPECT_TRUE(first.isNew);
  EXPECT_FALSE(Classify(track, kChannelX, 2, true).isNew);
  EXPECT_TRUE(Classify(track, kChannelX, 3, true).isNew);  // the run ended
}

TEST(EventMarksTest, FramesWithoutARecordHaveNoMark) {
  SensorTrack track;
  std::vector<EventMark> list;
  EXPECT_FALSE(CollectMapMark(track, EventChannelSwitches{}, true, &list, 0, kChannelX));
  EXPECT_TRUE(CollectEventMarks(track, EventChannelSwitches{}, true).empty());

  Fill(track, {Record(1), Record(1)});
  track.accels[1].sequence = 2;  // frame 1 names a record the track does not hold
  track.frameIndex.push_back(nullptr);
  for (const std::int64_t frame :
       {std::int64_t{-1}, std::int64_t{1}, std::int64_t{2}, std::int64_t{3}}) {
    EXPECT_EQ(Classify(track, kChannelX, frame, true).icon, kNoMark) << frame;
  }
  EXPECT_EQ(Marks(CollectEventMarks(track, EventChannelSwitches{}, true)),
            (std::vector<std::tuple<int, int, int>>{{0, 0, 0}}));
}
