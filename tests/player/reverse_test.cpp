#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <filesystem>
#include <mutex>
#include <vector>

#include "engine_fixture.h"
#include "message_recorder.h"
#include "player/player_engine.h"
#include "recording_fixture.h"

namespace {

// Every picture the surface was given, by its barcode, with when it came.
struct ShownPicture {
  int number;
  qint64 ms;
};

class ReverseTest : public EngineFixture<> {
 protected:
  // Records the barcode of each picture the presenter gets from now on.
  void WatchPictures() {
    {
      std::lock_guard lock(shownMutex_);
      shown_.clear();
    }
    clock_.start();
    VideoPresenter& presenter = state_.player->presenter();
    presenter.SetFrameCallback([this, &presenter] {
      const int number = FrameNumberOf(presenter.CurrentImage());
      std::lock_guard lock(shownMutex_);
      shown_.push_back({number, clock_.elapsed()});
    });
  }
  std::vector<ShownPicture> Shown() {
    std::lock_guard lock(shownMutex_);
    return shown_;
  }
  int OnScreen() { return FrameNumberOf(state_.player->CurrentImage()); }
  // Seeks paused to the middle of picture `picture` of a movie at `fps`.
  void SeekToPicture(int picture, double fps) {
    state_.player->SeekPaused(static_cast<std::int64_t>((picture + 0.5) / fps * 1e7));
    ASSERT_EQ(OnScreen(), picture);
  }

  std::mutex shownMutex_;
  std::vector<ShownPicture> shown_;
  QElapsedTimer clock_;
};

mkcard::CardOptions ReverseCard(int seconds, int fpsNum, int fpsDen, int gop) {
  mkcard::CardOptions options = SmallCard(1, seconds);
  options.fpsNum = fpsNum;
  options.fpsDen = fpsDen;
  options.gop = gop;
  return options;
}

// The pictures shown in strictly descending order, none repeated.
void ExpectDescending(const std::vector<ShownPicture>& shown) {
  for (std::size_t i = 1; i < shown.size(); ++i) {
    ASSERT_LT(shown[i].number, shown[i - 1].number) << "picture " << i << " of " << shown.size();
  }
}

// Pictures a second of playback moved through, from the first picture shown
// to the last.
double Pace(const std::vector<ShownPicture>& shown) {
  const double seconds = static_cast<double>(shown.back().ms - shown.front().ms) / 1000.0;
  return (shown.front().number - shown.back().number) / seconds;
}

TEST_F(ReverseTest, ShowsEveryPictureLastToFirstAtTheRatesPace) {
  const struct {
    int num, den, gop;
  } movies[] = {{30, 1, 12},       {30, 1, 30}, {30000, 1001, 12},
                {30000, 1001, 30}, {60, 1, 12}, {60, 1, 30}};
  for (const auto& movie : movies) {
    const double fps = static_cast<double>(movie.num) / movie.den;
    SCOPED_TRACE(std::to_string(fps) + " fps, keyframe every " + std::to_string(movie.gop));
    GeneratedCard card(ReverseCard(5, movie.num, movie.den, movie.gop));
    ASSERT_TRUE(card.ok()) << card.error();
    ASSERT_TRUE(OpenReady(card.Path(0)));
    const int from = static_cast<int>(4 * fps) + 1;  // not a keyframe
    SeekToPicture(from, fps);
    WatchPictures();
    ASSERT_TRUE(ops_.SetDirection(&state_, -1));
    EXPECT_EQ(state_.playState, 2);
    RunEventsFor(3000);
    ops_.Pause(&state_);
    const std::vector<ShownPicture> shown = Shown();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.front().number, from);
    ExpectDescending(shown);
    // At least 98 % of the pictures passed through were shown, and they were
    // not held up for long (the pace itself is checked at x2 and x4).
    const int passed = shown.front().number - shown.back().number + 1;
    EXPECT_GE(static_cast<double>(shown.size()), 0.98 * passed);
    EXPECT_GE(passed, static_cast<int>(2 * fps));
    // Paused on the last picture shown: the position is that picture's.
    EXPECT_EQ(OnScreen(), shown.back().number);
    EXPECT_EQ(
        ops_.GetPosition(&state_),
        static_cast<std::int32_t>(shown.back().number * 1000.0 / fps / ops_.GetFrameUnit(&state_)));
    EXPECT_EQ(state_.direction, -1);
    EXPECT_LE(state_.stepper->cache().PeakBytes(), state_.stepper->cache().Bound());
    ops_.CloseMovie(&state_);
  }
}

TEST_F(ReverseTest, FasterBackwardsKeepsOrderAndPaceAndStopsAtTheFirstPicture) {
  GeneratedCard card(ReverseCard(8, 30, 1, 12));
  ASSERT_TRUE(card.ok()) << card.error();
  ASSERT_TRUE(OpenReady(card.Path(0)));
  const struct {
    int code;
    double speed;
  } rates[] = {{2, 2.0}, {4, 4.0}, {-2, 0.5}};
  for (const auto& rate : rates) {
    SCOPED_TRACE("x" + std::to_string(rate.speed));
    ops_.SetRate(&state_, rate.code);
    SeekToPicture(200, 30);
    WatchPictures();
    ASSERT_TRUE(ops_.SetDirection(&state_, -1));
    RunEventsFor(1500);
    ops_.Pause(&state_);
    const std::vector<ShownPicture> shown = Shown();
    ASSERT_GE(shown.size(), 5u);
    ExpectDescending(shown);
    EXPECT_NEAR(Pace(shown), 30 * rate.speed, 0.05 * 30 * rate.speed);
  }
  // From near the start at x4 down to the first picture, where it stops by
  // itself and says so; played forwards again it goes on with sound.
  ops_.SetRate(&state_, 4);
  SeekToPicture(40, 30);
  WatchPictures();
  ASSERT_TRUE(ops_.SetDirection(&state_, -1));
  ASSERT_TRUE(WaitUntil([&] { return owner_.reverseStops == 1; }, 5000));
  EXPECT_EQ(owner_.reverseFailures, 0);
  EXPECT_EQ(OnScreen(), 0);
  EXPECT_EQ(Shown().back().number, 0);
  EXPECT_EQ(ops_.GetPosition(&state_), 0);
  ops_.SetRate(&state_, 1);
  ASSERT_TRUE(ops_.SetDirection(&state_, 1));
  RunEventsFor(500);
  EXPECT_GT(OnScreen(), 5);
  EXPECT_EQ(state_.direction, 1);
}

TEST_F(ReverseTest, ACutFileStopsBackwardsPlayCleanly) {
  GeneratedCard card(ReverseCard(5, 30, 1, 12));
  ASSERT_TRUE(card.ok()) << card.error();
  // Room for two groups of decoded pictures (I420): the one shown and the
  // one decoded ahead.
  state_.stepCacheBytes = 320 * 180 * 3 / 2 * 24;
  ASSERT_TRUE(OpenReady(card.Path(0)));
  SeekToPicture(140, 30);
  ops_.SetRate(&state_, -4);  // x0.25: the first stretch is still being shown
  ASSERT_TRUE(ops_.SetDirection(&state_, -1));
  RunEventsFor(300);
  // The recorder's card is pulled: the file loses all but its start.
  std::filesystem::resize_file(card.Path(0).toStdString(), 4096);
  ASSERT_TRUE(WaitUntil([&] { return owner_.reverseStops == 1; }, 20000));
  EXPECT_EQ(owner_.reverseFailures, 1);
  // What was decoded was shown, down to the keyframe of the group decoded
  // ahead when the file was cut.
  EXPECT_EQ(OnScreen(), 120);
  QElapsedTimer pause;
  pause.start();
  ops_.Pause(&state_);
  EXPECT_LT(pause.elapsed(), 500);
  EXPECT_EQ(state_.playState, 3);
}

}  // namespace
