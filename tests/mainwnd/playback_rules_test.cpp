#include "mainwnd/playback_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(PlaybackRules, EndMarginByRate) {
  EXPECT_EQ(EndMargin(4), 80);
  EXPECT_EQ(EndMargin(2), 40);
  for (int code : {1, -1, -2, -4, 0}) EXPECT_EQ(EndMargin(code), 20) << code;
}

TEST(PlaybackRules, NearEndOnlyWhilePlayingOrClosed) {
  struct Case {
    int state;
    std::int64_t position, count;
    int rate;
    bool near;
  };
  const Case cases[] = {
      {2, 980, 1000, 1, true},  {2, 979, 1000, 1, false}, {2, 960, 1000, 2, true},
      {2, 959, 1000, 2, false}, {2, 920, 1000, 4, true},  {1, 999, 1000, 1, false},
      {3, 999, 1000, 1, false}, {0, 990, 1000, 1, true},  {2, 500, 0, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NearEnd(c.state, c.position, c.count, c.rate), c.near)
        << c.state << " " << c.position << "/" << c.count << " rate " << c.rate;
  }
}

TEST(PlaybackRules, TickSyncsOnlyNearThePendingFrame) {
  // 3000 frames: a margin of 3 + 30 frames.
  EXPECT_TRUE(SyncAllowed(-1, 200, 3000));
  EXPECT_FALSE(SyncAllowed(1000, 200, 3000));
  EXPECT_FALSE(SyncAllowed(1000, 967, 3000));
  EXPECT_TRUE(SyncAllowed(1000, 968, 3000));
  EXPECT_TRUE(SyncAllowed(1000, 1032, 3000));
  EXPECT_FALSE(SyncAllowed(1000, 1033, 3000));
}

TEST(PlaybackRules, SeekTargetKeepsTheMarginWhileTheViewsShowTheFrame) {
  const SeekFrames atRate4 = SeekFramesFor(2990, 3000, 4, 0);
  EXPECT_EQ(atRate4.target, 2920);
  EXPECT_EQ(atRate4.view, 2990);
  const SeekFrames pastEnd = SeekFramesFor(5000, 3000, 1, 0);
  EXPECT_EQ(pastEnd.target, 2980);
  EXPECT_EQ(pastEnd.view, 2999);
  const SeekFrames tiny = SeekFramesFor(5, 10, 1, 0);
  EXPECT_EQ(tiny.target, 0) << "never before the first frame";
  EXPECT_EQ(tiny.view, 5);
  EXPECT_EQ(SeekFramesFor(-3, 3000, 1, 0).view, 0);
}

TEST(PlaybackRules, QualityCodeFromHeightAndHeader) {
  EXPECT_EQ(QualityCode(360, 'H'), 1);
  EXPECT_EQ(QualityCode(360, 'N'), 2);
  EXPECT_EQ(QualityCode(720, 'H'), 3);
  EXPECT_EQ(QualityCode(720, 0), 4);
  EXPECT_EQ(QualityCode(1080, 'H'), 5);
  EXPECT_EQ(QualityCode(1080, 'h'), 6);
  EXPECT_EQ(QualityCode(480, 'H'), 0);
  EXPECT_EQ(QualityCode(0, 'H'), 0);
}

TEST(PlaybackRules, RateLabels) {
  EXPECT_EQ(RateLabelSlot(2), 61);
  EXPECT_EQ(RateLabelSlot(4), 62);
  EXPECT_EQ(RateLabelSlot(-2), 63);
  EXPECT_EQ(RateLabelSlot(-4), 64);
  for (int code : {1, -1, 0}) EXPECT_EQ(RateLabelSlot(code), -1);
  // Backwards every rate has its label, x1 too.
  const int backwards[][2] = {{1, 158}, {2, 159}, {4, 160}, {-2, 161}, {-4, 162}, {0, -1}};
  for (const auto& [code, slot] : backwards) EXPECT_EQ(RateLabelSlot(code, true), slot) << code;
}

}  // namespace
