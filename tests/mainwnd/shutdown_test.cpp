// The main window's shutdown: closing it while a movie plays stops and
// closes everything at once, and no message is handled after it; messages
// still on their way to a window that goes are dropped with it. The viewer
// program closed by its close button ends within two seconds, leaving no
// process of its own behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <memory>

#include "base/app_message.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "catalogue/movie_resource.h"
#include "controls/skin_button.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "mkcard/program_runner.h"
#include "player/engine_messages.h"
#include "player/movie_static.h"
#include "player/player_engine_state.h"
#include "scoped_work_folder.h"
#include "viewer_process.h"

namespace {

constexpr int kOpenMs = 20000;

class Shutdown : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { card_ = new CardSource(2, 3); }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(card_->ok()) << card_->error();
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
    WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), card_->dcim());
  }
  void TearDown() override { DeleteSharedFonts(); }

  static QPoint RowCentre(CKestrelDlg& dlg, int row) {
    CFileListCtrl* list = dlg.fileList();
    return list->viewport()->mapTo(&dlg, list->visualItemRect(list->item(row)).center());
  }
  static void ClickRow(CKestrelDlg& dlg, int row) {
    CFileListCtrl* list = dlg.fileList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
  }

  static inline CardSource* card_ = nullptr;
  ScopedWorkFolder work_;
};

TEST_F(Shutdown, CloseWhilePlayingEndsEverythingAndLaterMessagesAreIgnored) {
  auto dlg = std::make_unique<CKestrelDlg>();
  dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  ClickRow(*dlg, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->playback().openComplete(); }, kOpenMs));
  dlg->OnCommand(kCmdPlayPause);
  PlayerEngineState* engine = dlg->engineState();
  ASSERT_EQ(engine->playState, 2);

  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(dlg->commandButton(kCmdClose), Qt::LeftButton);
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_TRUE(dlg->shutDown());
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(engine->engineReady, 0);
  EXPECT_EQ(engine->playState, 0);
  EXPECT_EQ(engine->rateCode, 1);
  EXPECT_FALSE(dlg->playback().tickRunning());
  EXPECT_FALSE(dlg->playback().openComplete());
  EXPECT_EQ(dlg->fileList()->count(), 0);

  // What the engine, the workers and the browser send afterwards is ignored.
  QSignalSpy opening(dlg.get(), &CKestrelDlg::openingRecording);
  PostAppMessage(dlg->videoSurface(), WM_MEDIA_READY);
  PostAppMessage(dlg->videoSurface(), WM_MEDIA_ENDED);
  PostAppMessage(dlg->videoSurface(), WM_GRAPH_NOTIFY, 1);
  for (const int message :
       {WM_SLOW_FRAME, WM_SLOW_END, WM_APP_ADVANCE, WM_APP_REFRESH, WM_APP_OPEN_FINISHED,
        WM_APP_FOLDER_CHANGED, WM_APP_TRACK_LOADED, CMovieResource::kSourceLost}) {
    PostAppMessage(dlg.get(), message, 1, 1);
  }
  QTest::qWait(800);
  EXPECT_EQ(opening.count(), 0);
  EXPECT_EQ(dlg->playback().currentIndex(), -1);
  EXPECT_FALSE(dlg->playback().openComplete());
  EXPECT_FALSE(dlg->playback().busy());
  EXPECT_FALSE(dlg->playback().tickRunning());
  EXPECT_EQ(engine->playState, 0);
}

TEST_F(Shutdown, MessagesOnTheirWayToAWindowThatGoesAreDropped) {
  auto dlg = std::make_unique<CKestrelDlg>();
  dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  // Destroyed while its track loader runs and with messages queued for it
  // and for its video surface.
  bool opened = false;
  QObject::connect(dlg.get(), &CKestrelDlg::recordingOpened, [&] { opened = true; });
  ClickRow(*dlg, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return opened; }, kOpenMs));
  QPointer<CMovieStatic> video = dlg->videoSurface();
  PostAppMessage(video, WM_MEDIA_ENDED);
  PostAppMessage(dlg.get(), WM_APP_REFRESH, 1, 10);
  PostAppMessage(dlg.get(), WM_SLOW_END);
  dlg.reset();
  EXPECT_TRUE(video.isNull());
  // The queue drains past them: a message posted after them arrives.
  QObject sentinel;
  bool reached = false;
  QMetaObject::invokeMethod(
      &sentinel, [&] { reached = true; }, Qt::QueuedConnection);
  EXPECT_TRUE(QTest::qWaitFor([&] { return reached; }, 2000));
  // A window made afterwards works as ever.
  CKestrelDlg again;
  again.show();
  ClickRow(again, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return again.playback().openComplete(); }, kOpenMs));
}

// The processes whose environment holds `tag`: the viewer and whatever it
// started (the web engine's helpers).
int ProcessesTagged(const QByteArray& tag) {
  int count = 0;
  for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
    if (environ.open(QIODevice::ReadOnly) && environ.readAll().contains(tag)) ++count;
  }
  return count;
}

std::string Tool(const std::vector<std::string>& argv) {
  const mkcard::ProgramResult run = mkcard::RunProgram(argv);
  EXPECT_EQ(run.failure, "") << run.errors;
  return run.output;
}

// The viewer on the test's X server (the tests run on Xvfb), clicked with
// xdotool where a window of the test's own has its buttons and rows.
TEST_F(Shutdown, ViewerClosedWhileTheMapLoadsOrWhilePlayingEndsWithinTwoSeconds) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") ||
      QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
    GTEST_SKIP() << "needs an X server and xdotool";
  }
  QPoint close, play, row;
  QRect picture;
  {
    CKestrelDlg probe;
    probe.show();
    close = probe.commandButton(kCmdClose)->geometry().center();
    play = probe.playButton()->geometry().center();
    picture = probe.videoSurface()->geometry();
    row = RowCentre(probe, 0);
  }
  const auto click = [](const std::string& window, QPoint at) {
    Tool({"xdotool", "mousemove", "--window", window, std::to_string(at.x()),
          std::to_string(at.y()), "click", "1"});
  };
  const auto shot = [&](const std::string& window) {
    return Tool({"import", "-window", window, "-crop",
                 QStringLiteral("%1x%2+%3+%4")
                     .arg(picture.width() / 2)
                     .arg(picture.height() / 2)
                     .arg(picture.x() + picture.width() / 4)
                     .arg(picture.y() + picture.height() / 4)
                     .toStdString(),
                 "ppm:-"});
  };

  for (const bool playing : {false, true}) {
    SCOPED_TRACE(playing ? "while playing" : "while the map page loads");
    const QByteArray tag = "KESTREL_TEST_TAG=" + QUuid::createUuid().toByteArray();
    qputenv("KESTREL_TEST_TAG", tag.mid(tag.indexOf('=') + 1));
    QTemporaryDir work;
    ViewerProcess viewer(QStringLiteral(KESTREL_VIEWER_PATH), {card_->dcim()}, work.path(),
                         QStringLiteral("xcb"));
    qunsetenv("KESTREL_TEST_TAG");
    ASSERT_TRUE(viewer.WaitStarted(kOpenMs, 0));
    // Asked again until found: a search fails (BadWindow) when a window of
    // the web engine goes while it looks.
    std::string window;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          window = mkcard::RunProgram({"xdotool", "search", "--onlyvisible", "--pid",
                                       std::to_string(viewer.pid()), "--name", "^Quendra3$"})
                       .output;
          window = window.substr(0, window.find('\n'));
          return !window.empty();
        },
        20000));
    if (playing) {
      const std::string empty = shot(window);
      click(window, row);
      ASSERT_TRUE(QTest::qWaitFor([&] { return shot(window) != empty; }, kOpenMs))
          << "the recording's first picture";
      // The play button does nothing until the open has completed: it is
      // pressed again until the picture moves.
      bool moves = false;
      for (int press = 0; press < 10 && !moves; ++press) {
        click(window, play);
        QTest::qWait(700);
        const std::string before = shot(window);
        QTest::qWait(300);
        moves = shot(window) != before;
      }
      ASSERT_TRUE(moves) << "the recording plays";
    }
    QElapsedTimer clock;
    clock.start();
    click(window, close);
    const qint64 ms = viewer.MsToExit(clock, 10000);
    ASSERT_GE(ms, 0) << "the viewer still runs";
    ::testing::Test::RecordProperty(
        playing ? "exit_ms_while_playing" : "exit_ms_while_the_map_loads", static_cast<int>(ms));
    EXPECT_LT(ms, 2000);
    EXPECT_TRUE(viewer.ExitedCleanly());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ProcessesTagged(tag) == 0; }, 2000))
        << "a process of the viewer's is left";
  }
}

}  // namespace
