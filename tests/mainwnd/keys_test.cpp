// The main window's keys on a generated card with the real engine: every key
// of the table in every play state, no key while a dialog is open or a
// command works, the picture steps read back from the picture's barcode, and
// the key help.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <array>
#include <cmath>
#include <functional>
#include <memory>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "browser/file_select_dlg.h"
#include "card_source.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/event_walk.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/key_table.h"
#include "mkcard/frame_barcode.h"
#include "modal_script.h"
#include "player/movie_static.h"
#include "player/player.h"
#include "player/player_engine.h"
#include "views/event_list_dlg.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"
#include "views/info_values.h"
#include "views/key_help_dlg.h"
#include "window_on_card.h"

namespace {

constexpr int kOpenMs = 20000;
// The middle recording of three, so that both neighbours exist.
constexpr int kRow = 1;
// 6.3 s into the 12 s recording: every seek but the 60 s ones stays inside.
constexpr int kStartFrame = 210;
constexpr int kVolume = 30000;

enum State { kClosed, kStopped, kPaused, kPlaying };

enum class Effect {
  kNothing,
  kPlays,
  kPlaysBackwards,
  kPauses,
  kStepsForward,
  kStepsBack,
  kSeeks,
  kSlower,
  kFaster,
  kNormalRate,
  kToStart,
  kPrevious,
  kNext,
  kNextEvent,
  kPrevEvent,
  kAsksFolder,
  kZoom,
  kMute,
  kHelp,
  kFullScreen,
  kEventList,
  kAsksGpxFile,
  kMarks,         // a clip's mark at the picture shown: a tick on the seek slider
  kAsksClipFile,  // the clip around the picture shown: its save dialog
};

struct KeyCase {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  std::array<Effect, 4> effects;  // closed, stopped, paused, playing
  int seconds = 0;                // of a seek
};

using E = Effect;
const KeyCase kCases[] = {
    {Qt::Key_Space, {}, {E::kNothing, E::kPlays, E::kPlays, E::kPauses}},
    {Qt::Key_J, {}, {E::kNothing, E::kPlaysBackwards, E::kPlaysBackwards, E::kPlaysBackwards}},
    {Qt::Key_K, {}, {E::kNothing, E::kNothing, E::kNothing, E::kPauses}},
    {Qt::Key_L, {}, {E::kNothing, E::kPlays, E::kPlays, E::kFaster}},
    {Qt::Key_Period, {}, {E::kNothing, E::kStepsForward, E::kStepsForward, E::kStepsForward}},
    {Qt::Key_Comma, {}, {E::kNothing, E::kStepsBack, E::kStepsBack, E::kStepsBack}},
    {Qt::Key_Left, {}, {E::kNothing, E::kSeeks, E::kSeeks, E::kSeeks}, -5},
    {Qt::Key_Right, {}, {E::kNothing, E::kSeeks, E::kSeeks, E::kSeeks}, 5},
    {Qt::Key_Left, Qt::ShiftModifier, {E::kNothing, E::kSeeks, E::kSeeks, E::kSeeks}, -1},
    {Qt::Key_Right, Qt::ShiftModifier, {E::kNothing, E::kSeeks, E::kSeeks, E::kSeeks}, 1},
    {Qt::Key_Left, Qt::ControlModifier, {E::kNothing, E::kSeeks, E::kSeeks, E::kSeeks}, -60},
    {Qt::Key_Right, Qt::ControlModifier, {E::kNothing, E::kSeeks, E::kSeeks, E::kSeeks}, 60},
    {Qt::Key_BracketLeft, {}, {E::kNothing, E::kNothing, E::kNothing, E::kSlower}},
    {Qt::Key_BracketRight, {}, {E::kNothing, E::kNothing, E::kNothing, E::kFaster}},
    {Qt::Key_Backspace, {}, {E::kNothing, E::kNothing, E::kNothing, E::kNormalRate}},
    {Qt::Key_Home, {}, {E::kNothing, E::kNothing, E::kToStart, E::kToStart}},
    {Qt::Key_PageUp, {}, {E::kNothing, E::kPrevious, E::kPrevious, E::kPrevious}},
    {Qt::Key_PageDown, {}, {E::kNothing, E::kNext, E::kNext, E::kNext}},
    {Qt::Key_E, {}, {E::kNothing, E::kNextEvent, E::kNextEvent, E::kNextEvent}},
    {Qt::Key_E, Qt::ShiftModifier, {E::kNothing, E::kPrevEvent, E::kPrevEvent, E::kPrevEvent}},
    {Qt::Key_S, {}, {E::kNothing, E::kAsksFolder, E::kAsksFolder, E::kAsksFolder}},
    {Qt::Key_Z, {}, {E::kNothing, E::kZoom, E::kZoom, E::kZoom}},
    {Qt::Key_M, {}, {E::kMute, E::kMute, E::kMute, E::kMute}},
    {Qt::Key_Question, {}, {E::kHelp, E::kHelp, E::kHelp, E::kHelp}},
    {Qt::Key_F1, {}, {E::kHelp, E::kHelp, E::kHelp, E::kHelp}},
    {Qt::Key_F, {}, {E::kNothing, E::kFullScreen, E::kFullScreen, E::kFullScreen}},
    {Qt::Key_E, Qt::ControlModifier, {E::kEventList, E::kEventList, E::kEventList, E::kEventList}},
    {Qt::Key_G, {}, {E::kAsksGpxFile, E::kAsksGpxFile, E::kAsksGpxFile, E::kAsksGpxFile}},
    {Qt::Key_I, {}, {E::kNothing, E::kMarks, E::kMarks, E::kMarks}},
    {Qt::Key_O, {}, {E::kNothing, E::kMarks, E::kMarks, E::kMarks}},
    {Qt::Key_C, {}, {E::kNothing, E::kAsksClipFile, E::kAsksClipFile, E::kAsksClipFile}},
    // Outside full screen Esc does nothing; above all it does not close the
    // window as a dialog's Esc would.
    {Qt::Key_Escape, {}, {E::kNothing, E::kNothing, E::kNothing, E::kNothing}},
};

// Closes every modal dialog that opens, except `kept`, and keeps the class
// names of those it closed.
class ModalCatcher {
 public:
  explicit ModalCatcher(QWidget* kept = nullptr) : kept_(kept) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || dialog == kept_) return;
      seen.push_back(QString::fromLatin1(dialog->metaObject()->className()));
      dialog->reject();
    });
    timer_.start(20);
  }
  QStringList seen;

 private:
  QWidget* kept_;
  QTimer timer_;
};

// What the keys change that the window shows, beside the picture.
struct Shown {
  int playState = 0;
  int rateCode = 0;
  QString rateLabel;
  int index = -1;
  int slider = 0;
  int volume = 0;
  bool zoom = false;
  bool pauseLook = false;
  bool visible = false;
  bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
  return out << "state " << s.playState << " rate " << s.rateCode << " '"
             << s.rateLabel.toStdString() << "' index " << s.index << " slider " << s.slider
             << " volume " << s.volume << " zoom " << s.zoom << " pause look " << s.pauseLook
             << " visible " << s.visible;
}

// The time of the record the recorder wrote for `picture` of a 30 fps
// recording (its clock plus the seconds it says the clock is behind), as
// the information panel writes a time.
QString RecordTime(const mkcard::RecordingPlan& plan, int picture) {
  const mkcard::SensorSample& record = plan.samples.at(static_cast<std::size_t>(picture * 10 / 30));
  const mkcard::LocalClock& c = record.clock;
  const QDateTime clock(QDate(c.year, c.month, c.day), QTime(c.hour, c.minute, c.second));
  return clock.addSecs(std::max(record.addSeconds, 0))
      .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

class Keys : public WindowOnCard<3, 12> {
 protected:
  void SetUp() override {
    WindowOnCard::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(dlg_->ListSource(SourceKind::kCard, card_->root()));
    dlg_->playback().SetVolumeLevel(kVolume);
  }

  PlayerEngineState* engine() const { return dlg_->engineState(); }
  int Position() const { return engine::GetPosition(engine()); }
  bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, kOpenMs); }
  // The generator's number of the picture the engine shows; -1 unreadable.
  int Picture() const {
    if (engine()->player == nullptr) return -1;
    const QImage grey = engine()->player->CurrentImage().convertToFormat(QImage::Format_Grayscale8);
    const auto code = mkcard::ReadFrameBarcode(grey.constBits(), grey.width(), grey.height(),
                                               static_cast<int>(grey.bytesPerLine()));
    return code ? code->frame : -1;
  }
  Shown Now() const {
    Shown s;
    s.playState = engine()->playState;
    s.rateCode = engine()->rateCode;
    s.rateLabel = dlg_->rateLabelText();
    s.index = dlg_->playback().currentIndex();
    s.slider = dlg_->seekSlider()->pos();
    s.volume = dlg_->volumeSlider()->pos();
    s.zoom = dlg_->windowModes().zoomMode();
    s.pauseLook = dlg_->playButton()->property("pauseLook").toBool();
    s.visible = dlg_->isVisible();
    return s;
  }

  // Brings the window to `state` at kStartFrame of recording kRow at x1,
  // zoom off; kClosed is the fresh window with nothing opened.
  void Prepare(State state) {
    if (state == kClosed) {
      ASSERT_EQ(dlg_->playback().currentIndex(), -1);
      ASSERT_EQ(engine()->playState, 0);
      return;
    }
    // A movie playing into its end goes on with the next recording first.
    ASSERT_TRUE(WaitFor([&] {
      return engine()->playState != 2 || Position() + 100 < engine::GetFrameCount(engine());
    }));
    if (dlg_->playback().currentIndex() != kRow) dlg_->fileList()->SelectRow(kRow);
    ASSERT_TRUE(WaitFor([&] {
      return dlg_->playback().currentIndex() == kRow && dlg_->playback().openComplete() &&
             dlg_->playback().tickRunning();
    }));
    if (dlg_->windowModes().zoomMode()) dlg_->OnCommand(kCmdZoom);
    if (engine()->playState == 2) dlg_->OnCommand(kCmdPlayPause);
    ASSERT_TRUE(WaitFor([&] { return engine()->playState != 2; }));
    if (engine()->direction < 0) {
      ASSERT_TRUE(engine::SetDirection(engine(), 1));
    }
    if (state == kStopped && engine()->playState == 3) dlg_->OnCommand(kCmdToStart);
    if (state != kStopped && engine()->playState == 1) {
      dlg_->OnCommand(kCmdPlayPause);
      ASSERT_TRUE(WaitFor([&] { return engine()->playState == 2; }));
      dlg_->OnCommand(kCmdPlayPause);
    }
    ASSERT_TRUE(WaitFor([&] { return engine()->playState == (state == kStopped ? 1 : 3); }));
    dlg_->playback().SeekTo(kStartFrame);
    ASSERT_TRUE(WaitFor([&] { return Position() == kStartFrame && Picture() >= 0; }));
    if (state == kPlaying) {
      dlg_->OnCommand(kCmdPlayPause);
      ASSERT_TRUE(WaitFor([&] { return engine()->playState == 2; }));
    }
    ASSERT_EQ(engine()->rateCode, 1);
    ASSERT_EQ(dlg_->volumeSlider()->pos(), kVolume);
  }

  // Presses the case's key on `target` and checks what it did in `state`.
  void PressAndCheck(const KeyCase& c, State state, QWidget* target) {
    const Effect effect = c.effects[state];
    if (effect == E::kNormalRate) {
      dlg_->OnCommand(kCmdFaster);
      ASSERT_EQ(dlg_->rateLabelText(), QStringLiteral("再生速度x2.0"));
    }
    const Shown before = Now();
    const int picture = Picture();
    const int position = Position();
    const int cursor = static_cast<int>(dlg_->gSensorDlg()->cursorFrame());
    const std::int64_t count = engine::GetFrameCount(engine());
    ModalCatcher catcher;
    QTest::keyClick(target, c.key, c.modifiers);
    const Shown after = Now();
    const bool still = state != kPlaying;
    const QStringList noDialog;
    switch (effect) {
      case E::kNothing:
        EXPECT_EQ(after, before);
        if (still) {
          EXPECT_EQ(Picture(), picture);
        }
        EXPECT_EQ(catcher.seen, noDialog);
        break;
      case E::kPlays:
        EXPECT_TRUE(WaitFor([&] { return engine()->playState == 2; }));
        EXPECT_TRUE(Now().pauseLook);
        break;
      case E::kPlaysBackwards:
        EXPECT_EQ(after.playState, 2);
        EXPECT_EQ(engine()->direction, -1);
        EXPECT_EQ(after.rateLabel, QStringLiteral("再生速度x-1.0"));
        EXPECT_TRUE(after.pauseLook);
        EXPECT_TRUE(WaitFor([&] { return dlg_->seekSlider()->pos() < position - 5; }));
        break;
      case E::kPauses:
        EXPECT_TRUE(WaitFor([&] { return engine()->playState == 3; }));
        EXPECT_FALSE(Now().pauseLook);
        break;
      case E::kStepsForward:
      case E::kStepsBack: {
        const int direction = effect == E::kStepsForward ? 1 : -1;
        EXPECT_EQ(after.playState, 3);
        EXPECT_FALSE(after.pauseLook);
        EXPECT_EQ(after.slider, Position()) << "the views follow the picture";
        EXPECT_EQ(dlg_->infoDlg()->values().frame, Position());
        if (still) {
          EXPECT_EQ(Picture(), picture + direction);
        }
        break;
      }
      case E::kSeeks: {
        const double unit = engine::GetFrameUnit(engine());
        const std::int64_t expected = std::clamp<std::int64_t>(
            position + std::llround(c.seconds * 1000.0 / unit), 0, count - 1);
        EXPECT_LE(std::abs(after.slider - expected), still ? 0 : 2) << expected;
        EXPECT_EQ(after.playState, before.playState);
        if (still) {
          const std::int64_t reached = std::min<std::int64_t>(expected, count - 20);
          EXPECT_TRUE(WaitFor([&] { return Position() == reached; })) << Position();
        }
        break;
      }
      case E::kSlower:
        EXPECT_EQ(after.rateLabel, QStringLiteral("再生速度x0.5"));
        EXPECT_EQ(after.playState, 2);
        break;
      case E::kFaster:
        EXPECT_EQ(after.rateLabel, QStringLiteral("再生速度x2.0"));
        EXPECT_EQ(after.playState, 2);
        break;
      case E::kNormalRate:
        EXPECT_EQ(after.rateCode, 1);
        EXPECT_EQ(after.rateLabel, QString());
        EXPECT_EQ(after.playState, 2);
        break;
      case E::kToStart:
        EXPECT_EQ(after.playState, 1);
        EXPECT_EQ(after.slider, 0);
        EXPECT_TRUE(WaitFor([&] { return Position() == 0; }));
        break;
      case E::kPrevious:
      case E::kNext: {
        const int row = effect == E::kPrevious ? kRow - 1 : kRow + 1;
        EXPECT_TRUE(WaitFor([&] {
          return dlg_->playback().currentIndex() == row && dlg_->playback().openComplete();
        }));
        break;
      }
      case E::kNextEvent:
      case E::kPrevEvent: {
        ASSERT_FALSE(dlg_->mapAndMarks().eventList().empty());
        const auto frame =
            effect == E::kNextEvent
                ? NextEventFrame(dlg_->mapAndMarks().eventList(), {}, cursor)
                : PreviousEventFrame(dlg_->mapAndMarks().eventList(), {}, cursor, count);
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(after.slider, *frame);
        EXPECT_EQ(dlg_->gSensorDlg()->cursorFrame(), *frame);
        break;
      }
      case E::kAsksFolder:
        EXPECT_EQ(catcher.seen, QStringList{"QFileDialog"});
        EXPECT_NE(engine()->playState, 2) << "the snapshot pauses";
        break;
      case E::kZoom:
        EXPECT_TRUE(after.zoom);
        EXPECT_TRUE(dlg_->commandButton(kCmdZoom)->latched());
        break;
      case E::kMute:
        EXPECT_EQ(after.volume, 0);
        EXPECT_EQ(dlg_->playback().volumeLevel(), 0);
        QTest::keyClick(target, c.key, c.modifiers);
        EXPECT_EQ(dlg_->volumeSlider()->pos(), kVolume) << "back to the level before";
        EXPECT_EQ(dlg_->playback().volumeLevel(), kVolume);
        break;
      case E::kHelp:
        EXPECT_EQ(catcher.seen, QStringList{"CKeyHelpDlg"});
        break;
      case E::kEventList:
        ASSERT_NE(dlg_->mapAndMarks().eventListDlg(), nullptr);
        EXPECT_TRUE(dlg_->mapAndMarks().eventListDlg()->isVisible());
        dlg_->mapAndMarks().eventListDlg()->close();
        break;
      case E::kAsksGpxFile:
        EXPECT_EQ(catcher.seen, QStringList{"QFileDialog"});
        EXPECT_EQ(after.playState, before.playState) << "the export leaves playback alone";
        EXPECT_TRUE(WaitFor([&] { return dlg_->fileList()->isEnabled(); })) << "the window is back";
        break;
      case E::kMarks: {
        const std::vector<int> ticks = dlg_->seekSlider()->ticks();
        ASSERT_EQ(ticks.size(), 1U);
        EXPECT_LE(std::abs(ticks.front() - Position()), still ? 0 : 3);
        EXPECT_EQ(after.rateLabel, before.rateLabel) << "a mark in the recording on show";
        dlg_->clipMarks().Clear();
        EXPECT_TRUE(dlg_->seekSlider()->ticks().empty());
        break;
      }
      case E::kAsksClipFile:
        EXPECT_EQ(catcher.seen, QStringList{"QFileDialog"});
        EXPECT_NE(engine()->playState, 2) << "the clip pauses";
        EXPECT_TRUE(WaitFor([&] { return dlg_->fileList()->isEnabled(); })) << "the window is back";
        break;
      case E::kFullScreen: {
        EXPECT_TRUE(dlg_->windowModes().fullScreen());
        EXPECT_FALSE(dlg_->seekSlider()->isVisible());
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_FALSE(dlg_->windowModes().fullScreen()) << "Esc leaves it";
        EXPECT_EQ(dlg_->videoSurface()->geometry(), QRect(6, 24, 656, 373));
        EXPECT_TRUE(dlg_->seekSlider()->isVisible());
        break;
      }
    }
  }

  // Presses every key of the table on the window and on the video surface
  // and checks that none changed anything.
  void ExpectNoKeyActs() {
    ModalCatcher catcher(QApplication::activeModalWidget());
    for (const KeyBinding& binding : KeyBindings()) {
      for (QWidget* target : std::array<QWidget*, 2>{dlg_.get(), dlg_->videoSurface()}) {
        SCOPED_TRACE(KeyLabel(binding).toStdString());
        const Shown before = Now();
        const int picture = Picture();
        QTest::keyClick(target, static_cast<Qt::Key>(binding.key),
                        Qt::KeyboardModifiers(binding.modifiers));
        EXPECT_EQ(Now(), before);
        EXPECT_EQ(Picture(), picture);
      }
    }
    EXPECT_EQ(catcher.seen, QStringList());
  }
};

TEST_F(Keys, EveryKeyInEveryPlayStateRunsItsCommandOrNothing) {
  // The cases cover the table.
  for (const KeyBinding& binding : KeyBindings()) {
    const bool covered = std::any_of(std::begin(kCases), std::end(kCases), [&](const KeyCase& c) {
      return c.key == binding.key && static_cast<int>(c.modifiers.toInt()) == binding.modifiers;
    });
    EXPECT_TRUE(covered) << KeyLabel(binding).toStdString();
  }
  int pressed = 0;
  for (State state : {kClosed, kStopped, kPaused, kPlaying}) {
    for (const KeyCase& c : kCases) {
      // The presses go in turn to the window, to the video surface, which has
      // the focus after a click on the picture, and to the list, which has it
      // after a click on a row.
      QWidget* const targets[] = {dlg_.get(), dlg_->videoSurface(), dlg_->fileList()};
      QWidget* target = targets[pressed++ % 3];
      SCOPED_TRACE(testing::Message() << "state " << state << ", key "
                                      << QKeySequence(c.key | c.modifiers).toString().toStdString()
                                      << " on " << target->metaObject()->className());
      ASSERT_NO_FATAL_FAILURE(Prepare(state));
      ASSERT_NO_FATAL_FAILURE(PressAndCheck(c, state, target));
    }
  }
}

// The window itself run as a modal dialog is no dialog over the window.
TEST_F(Keys, TheWindowRunModallyTakesItsKeys) {
  ASSERT_NO_FATAL_FAILURE(Prepare(kPaused));
  dlg_->hide();
  dlg_->setWindowModality(Qt::ApplicationModal);
  dlg_->show();
  ASSERT_EQ(QApplication::activeModalWidget(), dlg_.get());
  const int picture = Picture();
  QTest::keyClick(dlg_.get(), Qt::Key_Period);
  EXPECT_TRUE(WaitFor([&] { return Picture() == picture + 1; }));
}

TEST_F(Keys, KeyHelpListsTheTableAndNoKeyActsOverADialogOrWhileACommandWorks) {
  ASSERT_NO_FATAL_FAILURE(Prepare(kPaused));
  // The key help, modal over the window: exactly the table's rows.
  bool listed = false;
  QTimer::singleShot(50, [&] {
    CKeyHelpDlg* help = dlg_->keys().keyHelpDlg();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), help);
    const std::span<const KeyBinding> table = KeyBindings();
    ASSERT_EQ(help->table()->rowCount(), static_cast<int>(table.size()));
    for (std::size_t row = 0; row < table.size(); ++row) {
      const int r = static_cast<int>(row);
      EXPECT_EQ(help->table()->item(r, 0)->text(), KeyLabel(table[row]));
      EXPECT_EQ(help->table()->item(r, 1)->text(), KeyHelpText(table[row]));
    }
    EXPECT_EQ(help->table()->item(1, 1)->text(), QStringLiteral("1コマ進む"));
    EXPECT_EQ(KeyHelpText(*FindKeyBinding(Qt::Key_Left, Qt::ControlModifier)),
              QStringLiteral("60秒戻る"));
    EXPECT_EQ(KeyHelpText(*FindKeyBinding(Qt::Key_Right, Qt::ShiftModifier)),
              QStringLiteral("1秒進む"));
    EXPECT_FALSE(help->table()->accessibleName().isEmpty());
    EXPECT_EQ(help->closeButton()->accessibleName(), QStringLiteral("閉じる"));
    ExpectNoKeyActs();
    listed = true;
    QTest::keyClick(help, Qt::Key_Escape);
  });
  QTest::keyClick(dlg_.get(), Qt::Key_Question);
  EXPECT_TRUE(listed);
  EXPECT_EQ(dlg_->keys().keyHelpDlg(), nullptr) << "Esc closed it";
  QTimer::singleShot(50, [&] { dlg_->keys().keyHelpDlg()->closeButton()->click(); });
  QTest::keyClick(dlg_->videoSurface(), Qt::Key_F1);
  EXPECT_EQ(dlg_->keys().keyHelpDlg(), nullptr) << "its button closed it";

  // A join on the command worker: from its start to its end no key acts.
  // It proposes the first ticked recording's name in the join folder.
  WriteIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("CONNECT_FOLDER"), work_.path());
  const QString output = work_.filePath(QFileInfo(card_->Path(0)).fileName());
  ModalScript join;
  join.Then<CFileSelectDlg>([](CFileSelectDlg* select) {
        select->SetTicked(0, true);
        select->SetTicked(1, true);
        select->accept();
      })
      .Then<QFileDialog>([](QFileDialog* dialog) { QMetaObject::invokeMethod(dialog, "accept"); });
  dlg_->commandButton(kCmdJoin)->click();
  ASSERT_TRUE(join.done());
  ASSERT_TRUE(dlg_->commands().commandRunning());
  ExpectNoKeyActs();
  ModalScript done;
  done.Box();
  ASSERT_TRUE(WaitFor([&] { return done.done() && !dlg_->commands().commandRunning(); }));
  EXPECT_EQ(done.boxes, std::vector<QString>{"完了しました。"});
  EXPECT_TRUE(QFileInfo::exists(output));
}

// Playing backwards by j, k, l, Space, the popup menu's item and the rate
// keys, from each play state and each direction: the state, the direction,
// the rate label, and the picture moving the way it plays.
TEST_F(Keys, BackwardsAndForwardsByKeysMenuAndSpaceInEveryPlayState) {
  enum From { kFromStopped, kFromPaused, kFromPlaying, kFromBackwards, kFromPausedBackwards };
  struct Outcome {
    int playState;
    int direction;
    const char* label;
  };
  const QString minus1 = QStringLiteral("再生速度x-1.0");
  struct Case {
    const char* what;
    std::function<void()> act;
    std::array<Outcome, 5> outcomes;  // by From
  };
  const auto key = [&](Qt::Key k) { return [this, k] { QTest::keyClick(dlg_.get(), k); }; };
  const Outcome backX1{2, -1, "再生速度x-1.0"};
  const Outcome forwardX1{2, 1, ""};
  const Outcome pausedBackwards{3, -1, "再生速度x-1.0"};
  const Case cases[] = {
      {"j", key(Qt::Key_J), {backX1, backX1, backX1, Outcome{2, -1, "再生速度x-2.0"}, backX1}},
      {"k",
       key(Qt::Key_K),
       {Outcome{1, 1, ""}, Outcome{3, 1, ""}, Outcome{3, 1, ""}, pausedBackwards, pausedBackwards}},
      {"l",
       key(Qt::Key_L),
       {forwardX1, forwardX1, Outcome{2, 1, "再生速度x2.0"}, forwardX1, forwardX1}},
      {"Space",
       key(Qt::Key_Space),
       {forwardX1, forwardX1, Outcome{3, 1, ""}, pausedBackwards, backX1}},
      {"menu",
       [this] { dlg_->OnCommand(kCmdBackwards); },
       {backX1, backX1, backX1, forwardX1, backX1}},
      {"slower",
       key(Qt::Key_BracketLeft),
       {Outcome{1, 1, ""}, Outcome{3, 1, ""}, Outcome{2, 1, "再生速度x0.5"},
        Outcome{2, -1, "再生速度x-0.5"}, pausedBackwards}},
      {"faster",
       key(Qt::Key_BracketRight),
       {Outcome{1, 1, ""}, Outcome{3, 1, ""}, Outcome{2, 1, "再生速度x2.0"},
        Outcome{2, -1, "再生速度x-2.0"}, pausedBackwards}},
  };
  for (const Case& c : cases) {
    for (const From from :
         {kFromStopped, kFromPaused, kFromPlaying, kFromBackwards, kFromPausedBackwards}) {
      SCOPED_TRACE(testing::Message() << c.what << " from " << from);
      const bool backwards = from == kFromBackwards || from == kFromPausedBackwards;
      ASSERT_NO_FATAL_FAILURE(Prepare(from == kFromStopped   ? kStopped
                                      : from == kFromPlaying ? kPlaying
                                                             : kPaused));
      if (backwards) {
        QTest::keyClick(dlg_.get(), Qt::Key_J);
        ASSERT_EQ(engine()->direction, -1);
        ASSERT_TRUE(WaitFor([&] { return Position() < kStartFrame - 3; }));
        if (from == kFromPausedBackwards) QTest::keyClick(dlg_.get(), Qt::Key_Space);
        ASSERT_EQ(dlg_->rateLabelText(), minus1);
      }
      c.act();
      const Outcome& expected = c.outcomes[from];
      EXPECT_EQ(engine()->playState, expected.playState);
      EXPECT_EQ(engine()->direction, expected.direction);
      EXPECT_EQ(dlg_->rateLabelText(), QString::fromUtf8(expected.label));
      EXPECT_EQ(dlg_->playButton()->property("pauseLook").toBool(), expected.playState == 2);
      // The picture and the views move the way it plays, or stay (once the
      // pause's seek to the picture shown has settled).
      QTest::qWait(300);
      const int start = Position();
      QTest::qWait(400);
      const int moved = Position() - start;
      if (expected.playState != 2) {
        EXPECT_EQ(moved, 0);
      } else if (expected.direction < 0) {
        EXPECT_LT(moved, -3);
        EXPECT_LE(std::abs(dlg_->seekSlider()->pos() - Position()), 3) << "the views follow";
      } else {
        EXPECT_GT(moved, 3);
      }
    }
  }
}

TEST_F(Keys, PictureStepsShowTheNextPictureWithItsRecordTime) {
  ASSERT_NO_FATAL_FAILURE(Prepare(kPaused));
  const mkcard::RecordingPlan& plan = card_->Plan(kRow);
  QWidget* surface = dlg_->videoSurface();
  // Five pictures before the 6th second, so that the steps cross it. That
  // second begins with a frame of the engine; where a second begins inside
  // a 30 ms frame, its first picture is shown at that frame, whose start,
  // and so the panel's time, lies in the second before.
  dlg_->playback().SeekTo(195);
  ASSERT_TRUE(WaitFor([&] { return Position() == 195; }));
  const int start = Picture();
  ASSERT_EQ(start, 175);
  const auto expectShown = [&](int picture) {
    ASSERT_EQ(Picture(), picture);
    EXPECT_EQ(dlg_->seekSlider()->pos(), Position());
    EXPECT_EQ(InfoDateTimeText(dlg_->infoDlg()->values()), RecordTime(plan, picture))
        << "picture " << picture;
  };
  for (int i = 1; i <= 10; ++i) {
    QTest::keyClick(surface, Qt::Key_Period);
    ASSERT_NO_FATAL_FAILURE(expectShown(start + i));
  }
  for (int i = 9; i >= 0; --i) {
    QTest::keyClick(surface, Qt::Key_Comma);
    ASSERT_NO_FATAL_FAILURE(expectShown(start + i));
  }

  // The popup menu's steps do the same.
  const auto choose = [&](const QString& text) {
    QTimer::singleShot(100, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      for (QAction* action : menu->actions()) {
        if (action->text() == text) menu->setActiveAction(action);
      }
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            surface->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(surface, &event);
  };
  choose(QStringLiteral("1コマ進む"));
  ASSERT_NO_FATAL_FAILURE(expectShown(start + 1));
  choose(QStringLiteral("1コマ戻る"));
  ASSERT_NO_FATAL_FAILURE(expectShown(start));

  // Held down, the step back repeats at the picture rate while the key
  // repeats and stops with its release. Repeats that queued up while a step
  // was decoding are no queue of steps.
  QElapsedTimer held;
  held.start();
  QTest::keyPress(surface, Qt::Key_Comma);
  for (int i = 0; i < 15; ++i) {
    QTest::simulateEvent(surface, true, Qt::Key_Comma, Qt::NoModifier, QStringLiteral(","), true);
  }
  EXPECT_LE(start - Picture(), 2) << "fifteen queued repeats";
  QTest::qWait(400);
  QTest::keyRelease(surface, Qt::Key_Comma);
  const qint64 elapsed = held.elapsed();
  const int released = Picture();
  EXPECT_GE(start - released, 3) << "the step repeats";
  EXPECT_LE(start - released, elapsed / 30 + 2) << "at most one step a picture time";
  QTest::qWait(200);
  EXPECT_EQ(Picture(), released) << "nothing more after the release";
  EXPECT_EQ(dlg_->seekSlider()->pos(), Position());
  EXPECT_EQ(InfoDateTimeText(dlg_->infoDlg()->values()), RecordTime(plan, released));
}

}  // namespace

// The clip's marks: i in one recording, o in the next; the mark outside the
// recording on show is named beside the rate, the marks make the stretch
// across both, the export writes it under the name it proposes, and another
// source clears the marks.
TEST_F(Keys, ClipMarksAcrossRecordingsAreWrittenAndClearedWithTheSource) {
  ASSERT_NO_FATAL_FAILURE(Prepare(kPaused));
  const int start = Picture();
  QTest::keyClick(dlg_.get(), Qt::Key_I);
  EXPECT_EQ(dlg_->seekSlider()->ticks(), std::vector<int>{kStartFrame});
  EXPECT_NE(dlg_->clipMarks().Stretch().error, ClipError::kNone) << "no end yet";

  dlg_->fileList()->SelectRow(kRow + 1);
  ASSERT_TRUE(WaitFor([&] {
    return dlg_->playback().currentIndex() == kRow + 1 && dlg_->playback().openComplete();
  }));
  if (engine()->playState == 1) {
    dlg_->OnCommand(kCmdPlayPause);
    ASSERT_TRUE(WaitFor([&] { return engine()->playState == 2; }));
  }
  if (engine()->playState == 2) dlg_->OnCommand(kCmdPlayPause);
  ASSERT_TRUE(WaitFor([&] { return engine()->playState == 3; })) << engine()->playState;
  EXPECT_TRUE(dlg_->seekSlider()->ticks().empty()) << "the start is in the recording before";
  EXPECT_TRUE(dlg_->rateLabelText().startsWith(QStringLiteral("開始 ")))
      << dlg_->rateLabelText().toStdString();
  dlg_->playback().SeekTo(60);
  ASSERT_TRUE(WaitFor([&] { return Position() == 60 && Picture() >= 0; }));
  const int end = Picture();
  QTest::keyClick(dlg_->videoSurface(), Qt::Key_O);
  EXPECT_EQ(dlg_->seekSlider()->ticks(), std::vector<int>{60});

  const StretchResult stretch = dlg_->clipMarks().Stretch();
  ASSERT_EQ(stretch.error, ClipError::kNone) << stretch.why;
  ASSERT_EQ(stretch.stretch.pieces.size(), 2U);
  EXPECT_EQ(stretch.stretch.pieces[0].first, start);
  EXPECT_EQ(stretch.stretch.pieces[1].last, end);
  EXPECT_EQ(stretch.stretch.pictures, 12 * 30 - start + end + 1);

  WriteIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("CLIP_FOLDER"), work_.path());
  const QString output = work_.filePath(QString::fromStdString(ProposedClipName(stretch.stretch)));
  ModalScript save;
  save.Then<QFileDialog>([](QFileDialog* dialog) { QMetaObject::invokeMethod(dialog, "accept"); })
      .Box();
  dlg_->OnCommand(kCmdClipExport);
  ASSERT_TRUE(WaitFor([&] { return save.done() && !dlg_->commands().commandRunning(); }));
  EXPECT_EQ(save.boxes, std::vector<QString>{"完了しました。"});
  EXPECT_TRUE(QFileInfo::exists(output)) << output.toStdString();

  ASSERT_TRUE(dlg_->ListSource(SourceKind::kCard, card_->root()));
  EXPECT_NE(dlg_->clipMarks().Stretch().error, ClipError::kNone);
  EXPECT_TRUE(dlg_->seekSlider()->ticks().empty());
  EXPECT_FALSE(dlg_->rateLabelText().contains(QStringLiteral("開始")));
}
