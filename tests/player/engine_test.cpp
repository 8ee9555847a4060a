#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "answered_boxes.h"
#include "engine_fixture.h"
#include "fake_surface_owner.h"
#include "hidden_decoders.h"
#include "holding_sink.h"
#include "message_recorder.h"
#include "player/engine_messages.h"
#include "player/freed_memory.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "player/player_engine_ops.h"
#include "recording_fixture.h"

namespace {

constexpr int kTimeout = 20000;

// The main window as far as the engine sees it: the surface's parent,
// receiving the one-frame-per-second messages.
class MainWindowStandIn : public QWidget {
 public:
  std::vector<std::pair<int, std::intptr_t>> messages;

 protected:
  bool event(QEvent* event) override {
    if (auto* message = dynamic_cast<AppMessageEvent*>(event)) {
      messages.emplace_back(message->message(), message->lParam());
      return true;
    }
    return QWidget::event(event);
  }
};

// Resident memory of this process in kB: all of it (`VmRSS:`), or only what
// it allocated (`RssAnon:`), without the libraries' pages it has read.
long ResidentKb(const std::string& field = "VmRSS:") {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
  }
  return -1;
}

// Where the blocks below are kept, so that the compiler keeps them too.
char* volatile gBlock = nullptr;

// A block of `bytes` from the C library, every page of it written.
char* WrittenBlock(std::size_t bytes) {
  gBlock = static_cast<char*>(std::malloc(bytes));
  std::memset(gBlock, 1, bytes);
  return gBlock;
}

class EngineTest : public EngineFixture<MainWindowStandIn> {
 protected:
  static void SetUpTestSuite() {
    card30_ = new GeneratedCard(SmallCard(2, 3));
    mkcard::CardOptions ntsc = SmallCard(1, 3);
    ntsc.fpsNum = 30000;
    ntsc.fpsDen = 1001;
    card2997_ = new GeneratedCard(ntsc);
    mkcard::CardOptions few = SmallCard(1, 2);
    few.records = 15;
    card15_ = new GeneratedCard(few);
    few.records = 16;
    card16_ = new GeneratedCard(few);
    few.records = 0;
    card0_ = new GeneratedCard(few);
    few.records = -1;
    few.plain = true;
    cardPlain_ = new GeneratedCard(few);
    for (GeneratedCard* card : {card30_, card2997_, card15_, card16_, card0_, cardPlain_}) {
      ASSERT_TRUE(card->ok()) << card->error();
    }
  }
  static void TearDownTestSuite() {
    for (GeneratedCard*& card : {std::ref(card30_), std::ref(card2997_), std::ref(card15_),
                                 std::ref(card16_), std::ref(card0_), std::ref(cardPlain_)}) {
      delete card;
      card = nullptr;
    }
  }

  static GeneratedCard* card30_;
  static GeneratedCard* card2997_;
  static GeneratedCard* card15_;
  static GeneratedCard* card16_;
  static GeneratedCard* card0_;      // recordings without sensor records
  static GeneratedCard* cardPlain_;  // plain movies without a sensor track
};

GeneratedCard* EngineTest::card30_ = nullptr;
GeneratedCard* EngineTest::card2997_ = nullptr;
GeneratedCard* EngineTest::card15_ = nullptr;
GeneratedCard* EngineTest::card16_ = nullptr;
GeneratedCard* EngineTest::card0_ = nullptr;
GeneratedCard* EngineTest::cardPlain_ = nullptr;

TEST_F(EngineTest, OpensRecorderFilesAndMeasuresTheirFrames) {
  EXPECT_TRUE(ops_.IsRecorderFile(&state_, card30_->Path(0)));
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  EXPECT_EQ(state_.playState, 1);
  EXPECT_EQ(ops_.GetFrameUnit(&state_), 30.0f);
  // 3 s of movie in frames of 30 ms.
  EXPECT_EQ(ops_.GetFrameCount(&state_), 100);
  EXPECT_EQ(ops_.GetFrameCountAlt(&state_), 100);
  int w = 0, h = 0;
  ASSERT_TRUE(ops_.GetVideoSize(&state_, &w, &h));
  EXPECT_EQ(QSize(w, h), QSize(320, 180));
  RunEventsFor(200);
  EXPECT_EQ(owner_.opened, 1);
  EXPECT_EQ(ops_.CloseMovie(&state_), 1);
  EXPECT_EQ(state_.playState, 0);
  EXPECT_FALSE(ops_.GetVideoSize(&state_, &w, &h));

  // 29.97 frames a second: a sample delta of 3003 gives 29 (integer quotient).
  ASSERT_TRUE(OpenReady(card2997_->Path(0)));
  EXPECT_EQ(ops_.GetFrameUnit(&state_), 29.0f);
  EXPECT_EQ(ops_.GetFrameCount(&state_), 3003 / 29);
}

TEST_F(EngineTest, RefusesFilesThatAreNotPlayableRecordings) {
  EXPECT_FALSE(ops_.OpenMovie(&state_, card15_->Path(0)));
  EXPECT_EQ(state_.playState, 0);
  EXPECT_TRUE(OpenReady(card16_->Path(0)));
  ops_.CloseMovie(&state_);
  EXPECT_FALSE(ops_.OpenMovie(&state_, cardPlain_->Path(0)));

  const QString text = card30_->dir() + "/notes.MOV";
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a movie at all, just some text that is long enough");
  file.close();
  EXPECT_FALSE(ops_.IsRecorderFile(&state_, text));
  EXPECT_FALSE(ops_.OpenMovie(&state_, text));
  const QString empty = card30_->dir() + "/empty.MOV";
  QFile(empty).open(QIODevice::WriteOnly);
  EXPECT_FALSE(ops_.IsRecorderFile(&state_, empty));
  EXPECT_FALSE(ops_.OpenMovie(&state_, empty));
  EXPECT_FALSE(ops_.OpenMovie(&state_, card30_->dir() + "/absent.MOV"));
  EXPECT_EQ(state_.playState, 0);
  RunEventsFor(100);
  EXPECT_EQ(owner_.opened, 1);  // the recording with 16 records only
}

TEST_F(EngineTest, PlaysARecordingWithoutSensorRecords) {
  ASSERT_TRUE(OpenReady(card0_->Path(0)));
  const std::int64_t frames = ops_.GetFrameCount(&state_);
  EXPECT_GT(frames, 30);
  // Every frame maps to no record: the views show no values.
  ASSERT_TRUE(ops_.LoadTrack(&state_, card0_->Path(0)));
  EXPECT_TRUE(state_.currentReader.accels.empty());
  ASSERT_EQ(state_.currentReader.frameIndex.size(), static_cast<std::size_t>(frames));
  for (const AccelRecord* record : state_.currentReader.frameIndex) EXPECT_EQ(record, nullptr);
  ASSERT_EQ(ops_.Play(&state_), 1);
  EXPECT_TRUE(WaitUntil([&] { return ops_.GetPosition(&state_) > 10; }, kTimeout))
      << "the pictures play";
  ops_.CloseMovie(&state_);
}

TEST_F(EngineTest, OpenLeavesThePipelineToGetReadyOnItsOwnThreads) {
  // The open returns with the pipeline on its way; the ready message ends it.
  ASSERT_TRUE(ops_.OpenMovie(&state_, card30_->Path(0)));
  EXPECT_EQ(state_.playState, 1);
  EXPECT_FALSE(state_.player->HasDisplayControl());
  ASSERT_TRUE(WaitUntil([&] { return owner_.opened > 0; }, kTimeout));
  EXPECT_TRUE(state_.player->HasDisplayControl());
  EXPECT_EQ(ops_.GetFrameCount(&state_), 100);
  ASSERT_EQ(ops_.Play(&state_), 1);
  RunEventsFor(200);

  EXPECT_EQ(ops_.CloseMovie(&state_), 1);
  EXPECT_EQ(state_.player, nullptr);
  EXPECT_EQ(state_.playState, 0);

  // A movie closed before it was ready tells the surface nothing.
  ASSERT_TRUE(ops_.OpenMovie(&state_, card30_->Path(1)));
  ops_.CloseMovie(&state_);
  RunEventsFor(300);
  EXPECT_EQ(owner_.opened, 1);
  EXPECT_EQ(owner_.failed, 0);
}

TEST_F(EngineTest, CloseLeavesThePipelineToComeDownOnAnotherThread) {
  // The sound sink holds its streaming thread: bringing the pipeline to its
  // NULL state waits for it, the close does not.
  ASSERT_TRUE(holding_sink::Register());
  CPlayer::SetAudioSinkDescription("kestrelholdingsink");
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  holding_sink::gHoldsLeft = 1;
  ASSERT_EQ(ops_.Play(&state_), 1);
  ASSERT_TRUE(WaitUntil([] { return holding_sink::gHolding.load(); }, kTimeout));
  const int ended = owner_.ended;
  EXPECT_EQ(ops_.CloseMovie(&state_), 1);
  EXPECT_TRUE(holding_sink::gHolding) << "the close waited for the pipeline to come down";
  EXPECT_EQ(state_.player, nullptr);
  EXPECT_EQ(state_.playState, 0);

  // The next movie opens meanwhile, and only it tells the surface anything.
  ASSERT_TRUE(OpenReady(card30_->Path(1)));
  state_.disposer.WaitUntilDone();
  EXPECT_FALSE(holding_sink::gHolding);
  RunEventsFor(300);
  EXPECT_EQ(owner_.opened, 2);
  EXPECT_EQ(owner_.failed, 0);
  EXPECT_EQ(owner_.ended, ended);
  EXPECT_EQ(ops_.GetFrameCount(&state_), 100);
}

TEST_F(EngineTest, MissingDecoderIsReportedToTheWindowByName) {
  // The engine shows no box of its own: the window tells the user.
  const AnsweredBoxes boxes;
  {
    HiddenH264Decoders hidden;
    ASSERT_TRUE(hidden.any());
    // The recording itself is fine: the pipeline finds out later.
    EXPECT_TRUE(ops_.OpenMovie(&state_, card30_->Path(0)));
    ASSERT_TRUE(WaitUntil([&] { return owner_.failed > 0; }, kTimeout));
  }
  RunEventsFor(100);
  int reports = 0;
  for (const auto& message : window_.messages) reports += message.first == WM_MEDIA_MISSING_DECODER;
  EXPECT_EQ(reports, 1);
  EXPECT_TRUE(state_.missingDecoder.contains("H.264")) << state_.missingDecoder.toStdString();
  EXPECT_EQ(boxes.count(), 0);
  EXPECT_EQ(state_.playState, 0);
  EXPECT_EQ(state_.player, nullptr);
  EXPECT_EQ(owner_.opened, 0);
  EXPECT_EQ(owner_.failed, 1);
}

TEST_F(EngineTest, NothingHappensWhileTheEngineIsNotReady) {
  state_.engineReady = 0;
  EXPECT_FALSE(ops_.OpenMovie(&state_, card30_->Path(0)));
  EXPECT_FALSE(ops_.IsRecorderFile(&state_, card30_->Path(0)));
  EXPECT_EQ(ops_.Play(&state_), 0);
  EXPECT_EQ(ops_.Stop(&state_), 0);
  EXPECT_EQ(ops_.GetPosition(&state_), 0);
  EXPECT_EQ(ops_.GetFrameCount(&state_), 0);
  EXPECT_EQ(ops_.SetRate(&state_, 2), 0);
  EXPECT_EQ(state_.rateCode, 1);
  EXPECT_FALSE(ops_.SetLayout(&state_, 0, 0, 0, 0, 1.0f, 1));
  EXPECT_EQ(engine::NextRateCode(&state_, true), 0);
  EXPECT_EQ(ops_.ReturnZero15(&state_), 0);
}

TEST_F(EngineTest, PlaysPausesStopsAndEndsOnce) {
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  EXPECT_EQ(engine::NextRateCode(&state_, true), 1);  // not playing
  ASSERT_TRUE(ops_.LoadTrack(&state_, card30_->Path(0)));
  ops_.SetVolume(&state_, 40000);
  ops_.SetRate(&state_, 1);
  ASSERT_EQ(ops_.Play(&state_), 1);
  EXPECT_EQ(state_.playState, 2);
  EXPECT_EQ(engine::NextRateCode(&state_, true), 2);
  EXPECT_EQ(state_.player->Volume(), 40000);
  ASSERT_TRUE(WaitUntil([&] { return ops_.GetPosition(&state_) > 10; }, kTimeout));
  EXPECT_EQ(ops_.Pause(&state_), 1);
  EXPECT_EQ(state_.playState, 3);
  const std::int32_t paused = ops_.GetPosition(&state_);
  RunEventsFor(300);
  EXPECT_EQ(ops_.GetPosition(&state_), paused);
  EXPECT_EQ(ops_.Stop(&state_), 1);
  EXPECT_EQ(state_.playState, 1);
  ASSERT_EQ(ops_.Play(&state_), 1);
  ASSERT_TRUE(WaitUntil([&] { return owner_.ended > 0; }, kTimeout));
  EXPECT_EQ(state_.player->State(), CPlayer::Stopped);
  RunEventsFor(600);
  EXPECT_EQ(owner_.ended, 1);
}

TEST_F(EngineTest, RatesPlayFasterOrSlowAndMuteAwayFromNormalSpeed) {
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  ops_.SetVolume(&state_, 50000);
  // Frames advanced in 600 ms of playing at each rate code.
  auto advance = [&](int code) {
    ops_.SeekToFrame(&state_, 0);
    ops_.SetRate(&state_, code);
    ops_.Play(&state_);
    WaitUntil([&] { return ops_.GetPosition(&state_) > 0; }, kTimeout);
    const std::int32_t start = ops_.GetPosition(&state_);
    RunEventsFor(600);
    const std::int32_t end = ops_.GetPosition(&state_);
    ops_.Pause(&state_);
    return end - start;
  };
  const int normal = advance(1);
  EXPECT_EQ(state_.player->Volume(), 50000);
  const int double_ = advance(2);
  EXPECT_EQ(state_.rateCode, 2);
  EXPECT_EQ(state_.player->Volume(), 0);
  const int quadruple = advance(4);
  EXPECT_GT(normal, 10);
  EXPECT_GT(double_, normal * 3 / 2);
  EXPECT_GT(quadruple, double_ * 3 / 2);

  ops_.SetRate(&state_, 1);
  EXPECT_EQ(state_.player->Volume(), 50000);
  ops_.SetRate(&state_, -1);  // slower from x1: slow motion, silent
  EXPECT_EQ(state_.rateCode, -2);
  EXPECT_EQ(state_.player->Volume(), 0);
  const int slow = advance(-2);
  EXPECT_LT(slow, normal * 3 / 4);
  EXPECT_GT(slow, 0);
  ops_.SetRate(&state_, -1);
  EXPECT_EQ(state_.rateCode, 1);
  EXPECT_EQ(state_.player->Volume(), 50000);
}

TEST_F(EngineTest, SnapshotAfterASeekIsThatFrame) {
  EXPECT_FALSE(ops_.SaveSnapshot(&state_, card30_->dir() + "/none.jpg"));
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  const QString path = card30_->dir() + "/snap.jpg";
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("an older file the snapshot replaces");
  old.close();
  // Engine frame n is the picture shown n x 30 ms into the movie.
  for (int frame : {50, 0, 99, 33, 17}) {
    ASSERT_EQ(ops_.SeekToFrame(&state_, frame), 1);
    ASSERT_TRUE(ops_.SaveSnapshot(&state_, path));
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage saved = reader.read();
    EXPECT_EQ(saved.size(), QSize(320, 180));
    EXPECT_EQ(FrameNumberOf(saved), frame * 30 * 30 / 1000) << "engine frame " << frame;
  }
  EXPECT_FALSE(ops_.SaveSnapshot(&state_, card30_->dir() + "/no/such/folder/snap.jpg"));
}

TEST_F(EngineTest, LoadTrackTakesOverTheReadAheadOfTheSamePath) {
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  ASSERT_TRUE(engine::PrefetchTrack(&state_, card30_->Path(0)));
  ASSERT_FALSE(state_.prefetchReader.track.accels.empty());
  // Marks the read-ahead records, to see them arrive in the current track.
  state_.prefetchReader.track.accels[0].x = 9.5;
  ASSERT_TRUE(ops_.LoadTrack(
      &state_, card30_->Path(0).toUpper().replace(card30_->dir().toUpper(), card30_->dir())));
  EXPECT_EQ(state_.currentReader.accels[0].x, 9.5);
  EXPECT_EQ(state_.currentReader.count, static_cast<int>(card30_->Plan(0).samples.size()));
  EXPECT_EQ(state_.currentReader.frameIndex.size(), 100u);
  EXPECT_TRUE(state_.prefetchReader.track.accels.empty());

  // A read-ahead of another file is dropped and the track read from the file.
  ASSERT_TRUE(engine::PrefetchTrack(&state_, card30_->Path(1)));
  state_.prefetchReader.track.accels[0].x = 9.5;
  ASSERT_TRUE(ops_.LoadTrack(&state_, card30_->Path(0)));
  EXPECT_NE(state_.currentReader.accels[0].x, 9.5);
  EXPECT_FALSE(state_.prefetchReader.ready);
  EXPECT_EQ(ops_.ReleaseTrack(&state_), 1);
  EXPECT_TRUE(state_.currentReader.frameIndex.empty());
  EXPECT_FALSE(ops_.LoadTrack(&state_, card30_->dir() + "/absent.MOV"));
}

TEST_F(EngineTest, LayoutOfAStoppedMovieSeeksOnlyWhenItIsAwayFromItsStart) {
  // Freshly opened, the stopped movie shows its first picture: the layout the
  // window makes at every open has nothing to seek (a seek would keep the UI
  // thread waiting for the decoder).
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  ASSERT_TRUE(ops_.SetLayout(&state_, 160, 90, 0, 0, 1.0f, 1));
  EXPECT_FALSE(state_.player->SeekTarget());
  EXPECT_EQ(ops_.GetPosition(&state_), 0);

  // Elsewhere, the stopped movie goes back to its first picture.
  ops_.SeekToFrame(&state_, 20);
  state_.player->WaitForSeek();
  ASSERT_GT(ops_.GetPosition(&state_), 10);
  ASSERT_TRUE(ops_.SetLayout(&state_, 160, 90, 0, 0, 1.0f, 1));
  state_.player->WaitForSeek();
  EXPECT_EQ(ops_.GetPosition(&state_), 0);
}

TEST_F(EngineTest, LayoutZoomsRefusesZeroAndLetterboxes) {
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  // Zoom 2 about the centre of the client area (even sizes, exact halves).
  const QSize client = surface_->contentsRect().size();
  const int w = client.width();
  const int h = client.height();
  ASSERT_TRUE(w % 2 == 0 && h % 2 == 0) << w << "x" << h;
  ASSERT_TRUE(ops_.SetLayout(&state_, w / 2, h / 2, 0, 0, 2.0f, 1));
  EXPECT_EQ(state_.videoRect, (LayoutRect{-w / 2, -h / 2, w + w / 2, h + h / 2}));
  const LayoutRect before = state_.videoRect;
  EXPECT_FALSE(ops_.SetLayout(&state_, 10, 10, 5, 5, 0.0f, 1));
  EXPECT_EQ(state_.videoRect, before);
  EXPECT_EQ(state_.zoom, 2.0f);
  EXPECT_TRUE(ops_.Relayout(&state_));
  EXPECT_EQ(state_.videoRect, before);

  // A 16:9 picture in a 4:3 surface keeps its shape with bands above and below.
  surface_->setGeometry(0, 0, 404, 304);
  const QSize square = surface_->contentsRect().size();
  ASSERT_TRUE(ops_.SetLayout(&state_, 0, 0, 0, 0, 1.0f, 1));
  ASSERT_TRUE(ops_.SetAspectMode(&state_, 1));
  EXPECT_EQ(state_.aspectMode, 1);
  const int height = static_cast<int>(static_cast<float>(square.width()) / (320.0f / 180.0f));
  EXPECT_EQ(state_.pictureRect.width(), square.width() + 2);
  EXPECT_EQ(state_.pictureRect.height(), height + 2);
  EXPECT_EQ(state_.pictureRect.top, (square.height() - height) / 2);
  // The bands are black and the picture is painted between them.
  const QImage shown = surface_->grab().toImage();
  const QPoint origin = surface_->contentsRect().topLeft();
  EXPECT_EQ(shown.pixelColor(origin + QPoint(square.width() / 2, 2)), QColor(Qt::black));
  EXPECT_NE(shown.pixelColor(origin + QPoint(square.width() / 2, square.height() / 2)),
            QColor(Qt::black));
  ASSERT_TRUE(ops_.SetAspectMode(&state_, 0));
  EXPECT_EQ(state_.pictureRect, state_.videoRect);
}

TEST_F(EngineTest, OverlayTextShowsGreenAtTheBottomRightAndEmptyShowsNothing) {
  EXPECT_FALSE(ops_.DrawOverlayText(&state_, "12:34"));  // no movie
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  ops_.SetLayout(&state_, 0, 0, 0, 0, 1.0f, 1);
  const QImage plain = surface_->grab().toImage();
  ASSERT_TRUE(ops_.DrawOverlayText(&state_, ""));
  EXPECT_EQ(surface_->grab().toImage(), plain);
  ASSERT_TRUE(ops_.DrawOverlayText(&state_, QString::fromUtf8("速度 88")));
  const QImage over = surface_->grab().toImage();
  // Green text appears only in the bottom-right box of 300 x 120 (scaled).
  int greenInBox = 0, changedOutside = 0;
  const QRect client = surface_->contentsRect();
  const QRect box(client.right() - 300 * client.width() / 320,
                  client.bottom() - 120 * client.height() / 180, 300 * client.width() / 320 + 1,
                  120 * client.height() / 180 + 1);
  for (int y = client.top(); y <= client.bottom(); ++y) {
    for (int x = client.left(); x <= client.right(); ++x) {
      const QColor a = over.pixelColor(x, y), b = plain.pixelColor(x, y);
      if (a == b) continue;
      if (!box.contains(x, y)) ++changedOutside;
      if (a.green() > b.green() + 40 && a.green() > a.red() + 40) ++greenInBox;
    }
  }
  EXPECT_GT(greenInBox, 50);
  EXPECT_EQ(changedOutside, 0);
}

TEST_F(EngineTest, OneFramePerSecondPostsFramesToTheMainWindow) {
  EXPECT_EQ(ops_.SetOneFramePerSecond(&state_, 1.0f), 0);  // nothing measured
  ASSERT_TRUE(OpenReady(card30_->Path(0)));
  ops_.SetVolume(&state_, 30000);
  ASSERT_EQ(ops_.SetOneFramePerSecond(&state_, 1.0f), 1);
  EXPECT_EQ(state_.player->Volume(), 0);
  EXPECT_EQ(state_.slowTotal, 100);
  ASSERT_TRUE(WaitUntil([&] { return window_.messages.size() >= 2; }, 5000));
  // Frames one after the other, from where the movie was.
  EXPECT_EQ(window_.messages[0].first, WM_SLOW_FRAME);
  EXPECT_EQ(window_.messages[1].first, WM_SLOW_FRAME);
  EXPECT_GE(window_.messages[0].second, 0);
  EXPECT_EQ(window_.messages[1].second, window_.messages[0].second + 1);
  ASSERT_EQ(ops_.SetOneFramePerSecond(&state_, 0.0f), 1);
  EXPECT_FALSE(state_.slowThread.joinable());
  EXPECT_EQ(state_.player->Volume(), 30000);
  const size_t count = window_.messages.size();
  RunEventsFor(1200);
  EXPECT_EQ(window_.messages.size(), count);
}

TEST_F(EngineTest, MovieDeletedWhilePlayingEndsWithoutHanging) {
  const QString path = card30_->dir() + "/copy.MOV";
  ASSERT_TRUE(QFile::copy(card30_->Path(1), path));
  ASSERT_TRUE(OpenReady(path));
  ASSERT_EQ(ops_.Play(&state_), 1);
  RunEventsFor(200);
  ASSERT_TRUE(QFile::resize(path, 4096));
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(WaitUntil([&] { return owner_.ended > 0; }, kTimeout));
  EXPECT_GE(ops_.GetPosition(&state_), -1);
  EXPECT_EQ(ops_.CloseMovie(&state_), 1);
}

TEST_F(EngineTest, OpeningAndClosingAHundredTimesDoesNotLeak) {
  // Some of what the pipeline loads is loaded once, at the first open or
  // later, at a moment of its own: the libraries' pages (not counted here,
  // only what the process allocated is) and some memory of their own. That
  // shows in one stretch of opens; a leak shows in every stretch.
  const auto grown = [&] {
    const long before = ResidentKb("RssAnon:");
    for (int i = 0; i < 50; ++i) {
      EXPECT_TRUE(ops_.OpenMovie(&state_, card30_->Path(i % 2))) << i;
      if (i % 10 == 0) ops_.Play(&state_);
      ops_.CloseMovie(&state_);
      QCoreApplication::processEvents();
    }
    state_.disposer.WaitUntilDone();
    RunEventsFor(100);
    return ResidentKb("RssAnon:") - before;
  };
  std::vector<long> stretches;
  for (int i = 0; i < 4; ++i) stretches.push_back(grown());
#ifndef __SANITIZE_ADDRESS__
  // (AddressSanitizer keeps freed memory aside; its leak check runs at exit.)
  // One picture of this card per open would be 4 MB a stretch.
  EXPECT_LT(*std::min_element(stretches.begin(), stretches.end()), 3 * 1024)
      << "kB grown in each stretch: " << ::testing::PrintToString(stretches);
#endif
}

TEST(FreedMemory, PicturesFreedInTheHeapGoBackToTheSystem) {
#ifndef __SANITIZE_ADDRESS__
  // Once a block the size of a picture has been freed, the C library takes
  // such blocks from its heap and keeps them there when they are freed.
  constexpr std::size_t kPicture = 8 << 20;
  std::free(WrittenBlock(kPicture));
  std::vector<char*> pictures;
  for (int i = 0; i < 10; ++i) pictures.push_back(WrittenBlock(kPicture / 2));
  // Every other one freed: each lies between two in use, away from the top
  // of the heap, which the library trims by itself.
  for (std::size_t i = 0; i < pictures.size(); i += 2) std::free(pictures[i]);
  const long kept = ResidentKb();
  ReturnFreedMemory();
  const long returned = ResidentKb();
  for (std::size_t i = 1; i < pictures.size(); i += 2) std::free(pictures[i]);
  EXPECT_LT(returned, kept - 14 * 1024) << kept << " kB before, " << returned << " kB after";
#endif
}

}  // namespace
