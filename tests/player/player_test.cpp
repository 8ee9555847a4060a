#include "player/player.h"

#include <gtest/gtest.h>

#include <QFile>

#include "hidden_decoders.h"
#include "message_recorder.h"
#include "player/engine_messages.h"
#include "recording_fixture.h"

namespace {

constexpr int kTimeout = 20000;

class PlayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    card_ = new GeneratedCard(SmallCard(2, 3));
    ASSERT_TRUE(card_->ok()) << card_->error();
    movie_ = card_->Path(0);
  }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  void TearDown() override { CPlayer::SetAudioSinkDescription(""); }

  // Opens `path` and waits for the ready message.
  std::unique_ptr<CPlayer> OpenReady(const QString& path) {
    auto player = CPlayer::Create(&window_);
    EXPECT_NE(player, nullptr);
    if (player == nullptr) return nullptr;
    EXPECT_EQ(player->OpenFile(path), kResultOk);
    EXPECT_TRUE(WaitUntil([&] { return window_.Count(WM_MEDIA_READY) > 0; }, kTimeout));
    return player;
  }

  static GeneratedCard* card_;
  static QString movie_;
  MessageRecorder window_;
};

GeneratedCard* PlayerTest::card_ = nullptr;
QString PlayerTest::movie_;

TEST_F(PlayerTest, OpensOnceReadyAndRefusesEarlyCalls) {
  auto player = CPlayer::Create(&window_);
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->OpenFile(card_->dir() + "/absent.MOV"), kResultInvalidArg);
  EXPECT_EQ(player->State(), CPlayer::Closed);

  ASSERT_EQ(player->OpenFile(movie_), kResultOk);
  // Until the pipeline is ready a seek does nothing and succeeds; play is refused.
  EXPECT_EQ(player->Play(), kResultInvalidRequest);
  EXPECT_EQ(player->SeekPaused(10'000'000), kResultOk);
  EXPECT_EQ(player->WaitForOpen(kTimeout), CPlayer::OpenOutcome::Ready);
  ASSERT_TRUE(WaitUntil([&] { return window_.Count(WM_MEDIA_READY) > 0; }, kTimeout));
  RunEventsFor(200);
  EXPECT_EQ(window_.Count(WM_MEDIA_READY), 1);
  EXPECT_EQ(player->State(), CPlayer::Stopped);
  EXPECT_TRUE(player->HasDisplayControl());
  EXPECT_EQ(player->NativeVideoSize(), QSize(320, 180));
  std::int64_t duration = 0;
  ASSERT_TRUE(player->Duration(duration));
  EXPECT_NEAR(static_cast<double>(duration), 3.0e7, 1.0e6);
  EXPECT_EQ(player->Pause(), kResultInvalidRequest);
  EXPECT_EQ(player->Stop(), kResultInvalidRequest);
}

TEST_F(PlayerTest, PlaysPausesAndEndsWithOneEndMessage) {
  auto player = OpenReady(movie_);
  ASSERT_NE(player, nullptr);
  ASSERT_EQ(player->Play(), kResultOk);
  EXPECT_EQ(player->State(), CPlayer::Started);
  EXPECT_EQ(player->Play(), kResultInvalidRequest);
  std::int64_t time = 0;
  ASSERT_TRUE(WaitUntil([&] { return player->ClockTime(time) && time > 5'000'000; }, kTimeout));

  ASSERT_EQ(player->Pause(), kResultOk);
  EXPECT_EQ(player->State(), CPlayer::Paused);
  ASSERT_TRUE(WaitUntil([&] { return window_.Count(WM_MEDIA_PAUSED) == 1; }, kTimeout));
  std::int64_t paused = 0;
  ASSERT_TRUE(player->ClockTime(paused));
  RunEventsFor(300);
  ASSERT_TRUE(player->ClockTime(time));
  EXPECT_EQ(time, paused);

  ASSERT_EQ(player->Play(), kResultOk);
  ASSERT_TRUE(WaitUntil([&] { return window_.Count(WM_MEDIA_ENDED) > 0; }, kTimeout));
  EXPECT_EQ(player->State(), CPlayer::Stopped);
  RunEventsFor(600);
  EXPECT_EQ(window_.Count(WM_MEDIA_ENDED), 1);
  // Played again, the movie starts from its beginning.
  ASSERT_EQ(player->Play(), kResultOk);
  ASSERT_TRUE(WaitUntil([&] { return player->ClockTime(time) && time > 0 && time < 20'000'000; },
                        kTimeout));
  EXPECT_GT(player->presenter().FramesShown(), 0u);
}

TEST_F(PlayerTest, FasterRatesPlayFaster) {
  auto player = OpenReady(movie_);
  ASSERT_NE(player, nullptr);
  ASSERT_EQ(player->SetRate(4.0), kResultOk);
  ASSERT_EQ(player->Play(), kResultOk);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(WaitUntil([&] { return window_.Count(WM_MEDIA_ENDED) > 0; }, kTimeout));
  // Three seconds of movie take well under two seconds at x4.
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_EQ(player->SetRate(0.0), kResultInvalidArg);
}

TEST_F(PlayerTest, SeekWhilePausedShowsTheExactPicture) {
  auto player = OpenReady(movie_);
  ASSERT_NE(player, nullptr);
  // Times in the middle of a picture's time, away from the boundaries.
  for (int frame : {45, 6, 86, 31, 30, 29}) {
    const double seconds = (frame + 0.5) / 30;
    ASSERT_EQ(player->SeekPaused(static_cast<std::int64_t>(seconds * 1e7)), kResultOk);
    EXPECT_EQ(player->State(), CPlayer::Paused);
    EXPECT_EQ(FrameNumberOf(player->CurrentImage()), frame);
  }
  // A seek while playing goes on playing from there.
  ASSERT_EQ(player->Play(), kResultOk);
  ASSERT_EQ(player->SeekPlaying(25'000'000), kResultOk);
  EXPECT_EQ(player->State(), CPlayer::Started);
  ASSERT_TRUE(WaitUntil([&] { return window_.Count(WM_MEDIA_ENDED) > 0; }, 2500));
}

TEST_F(PlayerTest, FailingAudioSinkPlaysSilentlyAfterOneRetry) {
  // A file sink without a file name cannot start: the sound cannot be rendered.
  CPlayer::SetAudioSinkDescription("filesink");
  auto player = OpenReady(movie_);
  ASSERT_NE(player, nullptr);
  EXPECT_TRUE(player->AudioDisabled());
  EXPECT_EQ(player->SetVolume(30000), kResultPointer);
  ASSERT_EQ(player->Play(), kResultOk);
  ASSERT_TRUE(WaitUntil([&] { return window_.Count(WM_MEDIA_ENDED) > 0; }, kTimeout));
  EXPECT_EQ(window_.Count(WM_MEDIA_READY), 1);
  EXPECT_GT(player->presenter().FramesShown(), 60u);
}

TEST_F(PlayerTest, WorkingAudioKeepsTheSound) {
  CPlayer::SetAudioSinkDescription("fakesink sync=true");
  auto player = OpenReady(movie_);
  ASSERT_NE(player, nullptr);
  EXPECT_FALSE(player->AudioDisabled());
  EXPECT_EQ(player->SetVolume(30000), kResultOk);
  EXPECT_EQ(player->Volume(), 30000);
}

TEST_F(PlayerTest, MissingDecoderFailsTheOpen) {
  {
    HiddenH264Decoders hidden;
    ASSERT_TRUE(hidden.any());
    auto player = CPlayer::Create(&window_);
    ASSERT_EQ(player->OpenFile(movie_), kResultOk);
    EXPECT_EQ(player->WaitForOpen(kTimeout), CPlayer::OpenOutcome::Failed);
    EXPECT_EQ(player->LastError(), kResultMissingDecoder);
    EXPECT_EQ(player->State(), CPlayer::OpenPending);
  }
  RunEventsFor(100);
  EXPECT_EQ(window_.Count(WM_MEDIA_READY), 0);
}

TEST_F(PlayerTest, TruncatedFileEndsWithoutHanging) {
  // A copy, cut to a third while it plays.
  const QString path = card_->dir() + "/truncated.MOV";
  ASSERT_TRUE(QFile::copy(card_->Path(1), path));
  auto player = OpenReady(path);
  ASSERT_NE(player, nullptr);
  ASSERT_EQ(player->Play(), kResultOk);
  RunEventsFor(300);
  QFile file(path);
  ASSERT_TRUE(file.resize(file.size() / 3));
  ASSERT_TRUE(WaitUntil([&] { return window_.Count(WM_MEDIA_ENDED) > 0; }, kTimeout));
  EXPECT_EQ(player->State(), CPlayer::Stopped);
  EXPECT_EQ(player->Close(), kResultOk);
  EXPECT_EQ(player->State(), CPlayer::Closed);
}

TEST_F(PlayerTest, CloseWhilePlayingPostsNothingMore) {
  auto player = OpenReady(movie_);
  ASSERT_NE(player, nullptr);
  ASSERT_EQ(player->SeekPlaying(29'000'000), kResultOk);
  ASSERT_EQ(player->Play(), kResultInvalidRequest);
  RunEventsFor(150);
  player->Close();
  const size_t count = window_.messages.size();
  RunEventsFor(500);
  EXPECT_EQ(window_.messages.size(), count);
  EXPECT_EQ(window_.Count(WM_MEDIA_ENDED), 0);
}

}  // namespace
