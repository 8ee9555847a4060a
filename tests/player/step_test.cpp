#include <gtest/gtest.h>

#include <QWidget>

#include "engine_fixture.h"
#include "fake_surface_owner.h"
#include "message_recorder.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "player/player_engine_ops.h"
#include "recording_fixture.h"

namespace {

constexpr int kGop = 12;

class StepTest : public EngineFixture<> {
 protected:
  bool OpenReady(const QString& path) {
    owner_.opened = 0;
    return EngineFixture::OpenReady(path);
  }
  int Shown() { return FrameNumberOf(state_.player->CurrentImage()); }
};

// A recording of 3 s with a keyframe every kGop pictures.
mkcard::CardOptions SteppingCard(int fpsNum, int fpsDen) {
  mkcard::CardOptions options = SmallCard(1, 3);
  options.fpsNum = fpsNum;
  options.fpsDen = fpsDen;
  options.gop = kGop;
  return options;
}

// The engine's frame of picture `picture`: where it starts, in frames of
// `unit` milliseconds.
std::int32_t FrameOf(int picture, int fpsNum, int fpsDen, float unit) {
  return static_cast<std::int32_t>(std::int64_t{picture} * fpsDen * 1000 /
                                   (std::int64_t{fpsNum} * static_cast<std::int64_t>(unit)));
}

TEST_F(StepTest, StepsOnePictureAtATimeBothWaysAtEveryFrameRate) {
  const struct { int num, den; } rates[] = {{30, 1}, {30000, 1001}, {60, 1}};
  for (const auto& rate : rates) {
    SCOPED_TRACE(std::to_string(rate.num) + "/" + std::to_string(rate.den));
    GeneratedCard card(SteppingCard(rate.num, rate.den));
    ASSERT_TRUE(card.ok()) << card.error();
    ASSERT_TRUE(OpenReady(card.Path(0)));
    const float unit = ops_.GetFrameUnit(&state_);
    // Steps by `count` from the picture shown, each showing the next
    // picture in that direction at its own frame.
    auto stepAndCheck = [&](int direction, int count) {
      for (int i = 0; i < count; ++i) {
        const int expected = Shown() + direction;
        ASSERT_TRUE(ops_.StepPicture(&state_, direction)) << "to picture " << expected;
        ASSERT_EQ(Shown(), expected);
        ASSERT_EQ(ops_.GetPosition(&state_), FrameOf(expected, rate.num, rate.den, unit))
            << "picture " << expected;
      }
    };
    ops_.SeekToFrame(&state_, 0);
    ASSERT_EQ(Shown(), 0);
    // Forwards by the pipeline's steps across two keyframes, and back
    // through the pictures it kept.
    stepAndCheck(+1, 30);
    EXPECT_EQ(Shown(), 30);
    EXPECT_EQ(state_.stepper->Refills(), 0);
    stepAndCheck(-1, 30);
    EXPECT_EQ(Shown(), 0);
    EXPECT_EQ(state_.stepper->Refills(), 0);
    // The painted picture is the stepped one.
    EXPECT_EQ(FrameNumberOf(surface_->grab().toImage()), 0);

    // Backwards from a seek: the pictures before the one sought come in the
    // background after the seek, each group before them is decoded once,
    // from its keyframe; then forwards through them and on by the pipeline.
    ops_.SeekToFrame(&state_, FrameOf(62, rate.num, rate.den, unit) + 1);
    const int start = Shown();
    ASSERT_GE(start, 62);
    stepAndCheck(-1, 30);
    EXPECT_EQ(state_.stepper->Refills(), (start - 1) / kGop - (start - 30) / kGop);
    stepAndCheck(+1, 32);
    EXPECT_EQ(Shown(), start + 2);
    WaitUntil([] { return false; }, 50);
    EXPECT_EQ(FrameNumberOf(surface_->grab().toImage()), start + 2);
    EXPECT_LE(state_.stepper->cache().PeakBytes(), state_.stepper->cache().Bound());
    ops_.CloseMovie(&state_);
  }
}

TEST_F(StepTest, StopsAtTheEndsKeepsItsBoundAndPlaysOnFromTheStep) {
  GeneratedCard card(SteppingCard(30, 1));
  ASSERT_TRUE(card.ok()) << card.error();
  EXPECT_FALSE(ops_.StepPicture(&state_, 1));  // no movie
  // Room for the picture shown (BGRx) and five decoded ones of 320 x 180
  // (I420): eviction within a group, refills.
  const std::size_t shown = 320 * 180 * 4;
  const std::size_t picture = 320 * 180 * 3 / 2;
  state_.stepCacheBytes = shown + 5 * picture + picture / 2;
  ASSERT_TRUE(OpenReady(card.Path(0)));

  EXPECT_FALSE(ops_.StepPicture(&state_, -1));
  EXPECT_FALSE(ops_.StepPicture(&state_, 0));
  EXPECT_FALSE(ops_.StepPicture(&state_, 2));
  EXPECT_EQ(Shown(), 0);
  EXPECT_EQ(ops_.GetPosition(&state_), 0);
  EXPECT_EQ(state_.playState, 1);

  const int last = card.Plan(0).frames - 1;
  ops_.SeekToFrame(&state_, ops_.GetFrameCount(&state_) - 1);
  ASSERT_EQ(Shown(), last);
  const std::int32_t lastFrame = ops_.GetPosition(&state_);
  EXPECT_FALSE(ops_.StepPicture(&state_, 1));
  EXPECT_EQ(Shown(), last);
  EXPECT_EQ(ops_.GetPosition(&state_), lastFrame);

  for (int i = 1; i <= 2 * kGop; ++i) {
    ASSERT_TRUE(ops_.StepPicture(&state_, -1));
    ASSERT_EQ(Shown(), last - i);
    ASSERT_LE(state_.stepper->cache().Bytes(), state_.stepCacheBytes);
  }
  // The first refill filled the room beside the picture shown, no more.
  EXPECT_GE(state_.stepper->cache().PeakBytes(), shown + 5 * picture);
  EXPECT_LE(state_.stepper->cache().PeakBytes(), state_.stepCacheBytes);
  // Five pictures a refill: more refills than groups.
  EXPECT_GE(state_.stepper->Refills(), 2 * kGop / 5);

  // Playing carries on from the stepped picture; a step while playing
  // pauses first and goes on from the picture reached.
  const std::int32_t stepped = ops_.GetPosition(&state_);
  ASSERT_EQ(ops_.Play(&state_), 1);
  EXPECT_EQ(state_.stepper->cache().Bytes(), 0u);
  RunEventsFor(300);
  ASSERT_TRUE(ops_.StepPicture(&state_, 1));
  EXPECT_EQ(state_.playState, 3);
  const int reached = Shown();
  EXPECT_GT(reached, last - 2 * kGop + 3);
  EXPECT_LT(reached, last);
  EXPECT_GT(ops_.GetPosition(&state_), stepped);
  EXPECT_EQ(ops_.GetPosition(&state_), FrameOf(reached, 30, 1, 30.0f));
}

}  // namespace
