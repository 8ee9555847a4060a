// The window's three modes, full screen and zoom on the real window with
// the real engine and a generated card. The tests run on a 1280 x 800
// screen (the offscreen platform's configuration beside this file). With
// KESTREL_SHOT_DIR set, the full-screen case saves what the window shows in
// each mode there.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStyleHints>
#include <QTest>
#include <QToolTip>
#include <cmath>
#include <memory>

#include "base/app_message.h"
#include "base/fitted_text.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "card_source.h"
#include "catalogue/info_text.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/window_layout_rules.h"
#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"
#include "player/movie_static.h"
#include "player/player_engine_state.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"
#include "views/setting_dlg.h"
#include "window_on_card.h"

namespace {

constexpr int kOpenMs = 20000;

void ExpectPlace(const QWidget* child, const PanelPlace& place, const char* name) {
  SCOPED_TRACE(name);
  EXPECT_EQ(child->isVisible(), place.shown);
  if (!place.rect.isEmpty()) {
    EXPECT_EQ(child->geometry(), place.rect);
  }
}

// Every child of the window where the rules of `mode` put it.
void ExpectModeLayout(const CKestrelDlg& dlg, int mode) {
  SCOPED_TRACE(testing::Message() << "mode " << mode);
  const WindowLayout layout = WindowLayoutFor(mode);
  EXPECT_EQ(dlg.size(), QSize(1120, 700));
  ExpectPlace(dlg.videoSurface(), layout.video, "video");
  ExpectPlace(dlg.seekSlider(), layout.seekSlider, "seek slider");
  ExpectPlace(dlg.timeReadout(), layout.timeReadout, "time readout");
  ExpectPlace(dlg.infoDlg(), layout.infoPanel, "information panel");
  EXPECT_EQ(dlg.infoDlg()->panelLayout(), mode);
  ExpectPlace(dlg.gSensorDlg(), layout.graph, "graph");
  ExpectPlace(dlg.filer(), layout.browser, "browser");
  EXPECT_EQ(dlg.filer()->layoutMode(), layout.browserLayout);
  ExpectPlace(dlg.volumeSlider(), layout.volumeSlider, "volume slider");
  // Mode 0 shows the map or a still picture in its place; the others never.
  const QWidget* map = dlg.mapAndMarks().map()->mapWindow();
  if (mode == 0) {
    EXPECT_EQ(map->geometry(), layout.map.rect);
  } else {
    EXPECT_FALSE(map->isVisible());
  }
  for (int i = 0; i < kBarButtonCount; ++i) {
    ExpectPlace(dlg.commandButton(kFirstBarCommand + i), layout.barButtons[i], "bar button");
  }
  ExpectPlace(dlg.commandButton(kCmdClose), layout.titleButtons[kTitleClose], "close");
  ExpectPlace(dlg.commandButton(kCmdWindowSize), layout.titleButtons[kTitleSize], "size");
  ExpectPlace(dlg.commandButton(kCmdMinimise), layout.titleButtons[kTitleMinimise], "minimise");
  EXPECT_EQ(dlg.commandButton(kCmdWindowSize)->accessibleName(), UiText(WindowSizeTooltip(mode)));
  EXPECT_EQ(dlg.windowModes().zoomView(), DefaultZoomView(mode));
}

QStringList VisibleBarButtons(const CKestrelDlg& dlg) {
  QStringList names;
  for (int i = 0; i < kBarButtonCount; ++i) {
    const CSkinButton* button = dlg.commandButton(kFirstBarCommand + i);
    if (button->isVisible()) names << button->accessibleName();
  }
  return names;
}

int Ink(const QImage& image, const QRect& area, QRgb background) {
  int ink = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) ink += image.pixel(x, y) != background;
  }
  return ink;
}

void SaveShot(CKestrelDlg& dlg, const char* name) {
  const QString folder = qEnvironmentVariable("KESTREL_SHOT_DIR");
  if (folder.isEmpty()) return;
  QTest::qWait(300);  // a few pictures of the playing movie
  dlg.grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

class WindowModes : public WindowOnCard<1, 8> {
 protected:
  void SetUp() override {
    WindowOnCard::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_.get()));
  }

  bool OpenFirst() {
    if (!dlg_->ListSource(SourceKind::kCard, card_->root())) return false;
    dlg_->fileList()->SelectRow(0);
    return QTest::qWaitFor(
        [&] { return dlg_->playback().openComplete() && dlg_->playback().tickRunning(); }, kOpenMs);
  }
  void ClickSize() { QTest::mouseClick(dlg_->commandButton(kCmdWindowSize), Qt::LeftButton); }
  void DoubleClickPicture() {
    const QPoint at(200, 150);
    // The test's double-click ends pressed; the user's release ends its latch.
    QTest::mouseDClick(dlg_->videoSurface(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(dlg_->videoSurface(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(dlg_->videoSurface()->doubleClickLatch(), 0);
  }
  int Position() { return dlg_->engineOps().GetPosition(dlg_->engineState()); }
  // Triggers the popup menu's item `text` of the picture.
  bool ChooseFromPopup(const QString& text) {
    bool chosen = false;
    QTimer::singleShot(100, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      for (QAction* action : menu->actions()) {
        if (action->text() != text) continue;
        chosen = true;
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
        return;
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            dlg_->videoSurface()->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(dlg_->videoSurface(), &event);
    return QTest::qWaitFor([&] { return chosen; }, 1000);
  }
};

TEST_F(WindowModes, SizeButtonCyclesTheModesInsideTheScreen) {
  const QRect area = dlg_->screen()->availableGeometry();
  ASSERT_TRUE(area.width() >= 1120 && area.height() >= 700)
      << "a screen the window fits on, not " << area.width() << "x" << area.height();
  ExpectModeLayout(*dlg_, 0);
  dlg_->move(area.left() - 300, area.top() - 60);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return dlg_->windowModes().savedPosition() == dlg_->pos(); }, 2000));

  const QStringList seven = {UiText(20), UiText(13), UiText(12), UiText(17),
                             UiText(4),  UiText(9),  UiText(21)};
  for (const int mode : {1, 2, 0}) {
    ClickSize();
    ASSERT_EQ(dlg_->windowModes().windowMode(), mode);
    ExpectModeLayout(*dlg_, mode);
    ASSERT_TRUE(QTest::qWaitFor([&] { return area.contains(dlg_->frameGeometry()); }, 2000))
        << "at " << dlg_->x() << "," << dlg_->y();
    EXPECT_EQ(dlg_->windowModes().savedPosition(), dlg_->pos());
    if (mode == 2) {
      EXPECT_EQ(VisibleBarButtons(*dlg_), seven);
      // The information panel's compact form is drawn in its strip.
      const QImage shown = dlg_->grab().toImage().convertToFormat(QImage::Format_RGB32);
      const QRect strip = WindowLayoutFor(2).compactInfo;
      EXPECT_GT(Ink(shown, strip, shown.pixel(strip.topLeft())), 100);
    } else {
      EXPECT_EQ(VisibleBarButtons(*dlg_).size(), 13);
    }
  }
  EXPECT_EQ(dlg_->pos(), area.topLeft()) << "the corner that was off the screen came back";
}

TEST_F(WindowModes, FullScreenKeepsClearOfTheEndAndRestoresTheMode) {
  ASSERT_TRUE(OpenFirst());
  PlayerEngineState* engine = dlg_->engineState();
  const int frames = static_cast<int>(dlg_->engineOps().GetFrameCount(engine));
  ASSERT_GT(frames, 100);
  dlg_->OnCommand(kCmdPlayPause);
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine->playState == 2; }, kOpenMs));
  SaveShot(*dlg_, "mode0");
  ClickSize();
  SaveShot(*dlg_, "mode1");
  ClickSize();
  SaveShot(*dlg_, "mode2");
  ASSERT_EQ(dlg_->windowModes().windowMode(), 2);

  // Within the last 10 frames the double-click leaves the window as it is.
  dlg_->OnCommand(kCmdPlayPause);
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine->playState == 3; }, kOpenMs));
  dlg_->engineOps().SeekToFrame(engine, frames - 5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Position() >= frames - 10; }, kOpenMs));
  DoubleClickPicture();
  EXPECT_FALSE(dlg_->windowModes().fullScreen());
  EXPECT_EQ(dlg_->videoSurface()->fullScreen, 0);
  ExpectModeLayout(*dlg_, 2);

  dlg_->playback().SeekTo(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Position() < frames - 10; }, kOpenMs));
  dlg_->OnCommand(kCmdPlayPause);
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine->playState == 2; }, kOpenMs));
  const QPoint saved = dlg_->pos();
  DoubleClickPicture();
  ASSERT_TRUE(dlg_->windowModes().fullScreen());
  EXPECT_EQ(dlg_->videoSurface()->fullScreen, 1);
  const QRect screen = dlg_->screen()->geometry();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->geometry() == screen; }, 2000));
  EXPECT_EQ(dlg_->videoSurface()->geometry(), QRect(QPoint(0, 0), screen.size()));
  EXPECT_EQ(dlg_->videoSurface()->frameShape(), QFrame::NoFrame);
  for (const QObject* object : dlg_->children()) {
    const auto* child = qobject_cast<const QWidget*>(object);
    if (child == nullptr || child == dlg_->videoSurface() || child->isWindow()) continue;
    // Only the rate label may remain, under the picture.
    if (child->isVisible()) {
      EXPECT_LT(child->y() + child->height(), 30) << child->metaObject()->className();
    }
  }
  EXPECT_TRUE(dlg_->windowModes().keepAspect()) << "a first run keeps the aspect";
  EXPECT_EQ(engine->aspectMode, 1);
  SaveShot(*dlg_, "full");

  // Stretch, then keep the aspect again, through the popup menu.
  ASSERT_TRUE(ChooseFromPopup(UiText(92)));
  EXPECT_EQ(engine->aspectMode, 0);
  EXPECT_FALSE(dlg_->windowModes().keepAspect());
  EXPECT_EQ(ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("ASPECT")), "off");
  ASSERT_TRUE(ChooseFromPopup(UiText(91)));
  EXPECT_EQ(engine->aspectMode, 1);
  EXPECT_EQ(ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("ASPECT")), "on");

  // Leaving returns the engine to stretch, the window to mode 2 where it
  // was, and the play button to the look of the play state.
  DoubleClickPicture();
  ASSERT_FALSE(dlg_->windowModes().fullScreen());
  EXPECT_EQ(engine->aspectMode, 0);
  EXPECT_TRUE(dlg_->windowModes().keepAspect());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->size() == QSize(1120, 700); }, 2000));
  EXPECT_EQ(dlg_->pos(), saved);
  ExpectModeLayout(*dlg_, 2);
  EXPECT_EQ(dlg_->videoSurface()->frameShape(), QFrame::StyledPanel);
  EXPECT_EQ(dlg_->playButton()->property("pauseLook").toBool(), engine->playState == 2);
  EXPECT_EQ(engine->videoRect, (LayoutRect{0, 0, dlg_->videoSurface()->contentsRect().width(),
                                           dlg_->videoSurface()->contentsRect().height()}));

  // Closing the movie in full screen leaves it: nothing is left to show.
  DoubleClickPicture();
  ASSERT_TRUE(dlg_->windowModes().fullScreen());
  dlg_->playback().CloseRecording();
  EXPECT_FALSE(dlg_->windowModes().fullScreen());
  EXPECT_EQ(dlg_->videoSurface()->fullScreen, 0);
  EXPECT_EQ(engine->aspectMode, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->size() == QSize(1120, 700); }, 2000));
  ExpectModeLayout(*dlg_, 2);
}

TEST_F(WindowModes, HoldsZoomAboutTheHeldPointAndReturnToTheDefault) {
  ASSERT_TRUE(OpenFirst());
  PlayerEngineState* engine = dlg_->engineState();
  CMovieStatic* video = dlg_->videoSurface();
  QTest::mouseClick(dlg_->commandButton(kCmdZoom), Qt::LeftButton);
  ASSERT_TRUE(dlg_->windowModes().zoomMode());
  EXPECT_EQ(video->zoomMode(), 1);

  const QRect client = video->contentsRect();
  const LayoutRect whole{0, 0, client.width(), client.height()};
  const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
  const QPoint holds[] = {{120, 70}, {400, 260}, {500, 300}, {60, 300}};
  const float factors[] = {2.0f, 3.0f, 1.0f, 2.0f};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const LayoutRect before = engine->videoRect;
    const float z = engine->zoom;
    const QPoint at = holds[i];
    // The press comes a double-click time after the last, so that it is a
    // press of its own; it zooms once held that long.
    QTest::mousePress(video, Qt::LeftButton, Qt::NoModifier, at, interval + 50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->zoom == factors[i]; }, interval * 4));
    QTest::mouseRelease(video, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(dlg_->windowModes().zoomView().zoom, factors[i]);
    const QPoint p = at - client.topLeft();
    if (factors[i] == 1.0f) {
      EXPECT_EQ(dlg_->windowModes().zoomView(), DefaultZoomView(0)) << "past 3 the mode's default";
      EXPECT_EQ(engine->videoRect, whole);
      continue;
    }
    // The centre as the rule gives it, and the source pixel under the hold
    // still under it.
    const float px = static_cast<float>(p.x());
    const float py = static_cast<float>(p.y());
    const float w = static_cast<float>(client.width());
    const int centreX = static_cast<int>(
        w + px - std::trunc((px * (z - 1) + static_cast<float>(before.right)) / z));
    const int centreY =
        static_cast<int>(py - std::trunc((py * (z - 1) + static_cast<float>(before.top)) / z));
    EXPECT_EQ(engine->zoomCentreX, centreX);
    EXPECT_EQ(engine->zoomCentreY, centreY);
    EXPECT_EQ(engine->panX, p.x() - centreX);
    EXPECT_EQ(engine->panY, p.y() - centreY);
    const LayoutRect& after = engine->videoRect;
    EXPECT_NEAR(after.width(), client.width() * double(factors[i]), 2.0);
    EXPECT_NEAR(double(p.x() - before.left) / before.width(),
                double(p.x() - after.left) / after.width(), 2.0 / after.width());
    EXPECT_NEAR(double(p.y() - before.top) / before.height(),
                double(p.y() - after.top) / after.height(), 2.0 / after.height());
  }

  // Zoom mode off: the default view again, and a hold no longer zooms.
  QTest::mouseClick(dlg_->commandButton(kCmdZoom), Qt::LeftButton);
  ASSERT_FALSE(dlg_->windowModes().zoomMode());
  EXPECT_EQ(dlg_->windowModes().zoomView(), DefaultZoomView(0));
  EXPECT_EQ(engine->videoRect, whole);
  QTest::mousePress(video, Qt::LeftButton, Qt::NoModifier, holds[0], interval + 50);
  QTest::qWait(interval * 2);
  QTest::mouseRelease(video, Qt::LeftButton, Qt::NoModifier, holds[0]);
  EXPECT_EQ(engine->zoom, 1.0f);
  EXPECT_EQ(engine->videoRect, whole);
}

// The slider's tooltip where the pointer rests at `x`; empty when it shows
// none.
QString SliderTipAt(CSkinSliderCtrl* slider, int x) {
  QToolTip::hideText();
  if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) return QStringLiteral("?");
  const QPoint at(x, slider->height() / 2);
  QHelpEvent event(QEvent::ToolTip, at, slider->mapToGlobal(at));
  QApplication::sendEvent(slider, &event);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(WindowModes, TimeReadoutAndClockTipFollowTheRecording) {
  CSkinSliderCtrl* slider = dlg_->seekSlider();
  EXPECT_TRUE(SliderTipAt(slider, slider->width() / 2).isEmpty()) << "nothing open";
  ASSERT_TRUE(OpenFirst());
  // The generated recording lasts 8 seconds.
  for (const double fraction : {0.1, 0.5, 0.9}) {
    SCOPED_TRACE(fraction);
    const int x = static_cast<int>(fraction * slider->width());
    const QString tip = SliderTipAt(slider, x);
    const int frame =
        CSkinSliderCtrl::PositionAt(x, slider->width(), slider->rangeMin(), slider->rangeMax());
    dlg_->playback().SeekTo(frame);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->infoDlg()->values().frame == frame; }, kOpenMs));
    // The tooltip read the recorder's clock where the panel now shows it.
    const std::optional<std::string> shown = InfoDateTime(dlg_->infoDlg()->values());
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(tip, QString::fromStdString(*shown));
    // The engine counts frames of its frame unit.
    const int seconds =
        static_cast<int>(frame * static_cast<double>(dlg_->infoDlg()->values().frameTime) / 1000);
    EXPECT_EQ(dlg_->timeReadout()->accessibleName(),
              QStringLiteral("0:%1 / 0:08").arg(seconds, 2, 10, QLatin1Char('0')))
        << frame;
    EXPECT_EQ(dlg_->timeReadout()->text(), dlg_->timeReadout()->accessibleName()) << "it fits";
  }
  // A clock offset the settings window changed is taken at once.
  const int x = slider->width() / 2;
  const QString before = SliderTipAt(slider, x);
  ASSERT_TRUE(WriteTimeOffset(3600));
  PostAppMessage(dlg_.get(), CSettingDlg::kMessageClockChanged, 0, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg_->infoDlg()->values().timeOffset == 3600; }, 2000));
  const QString after = SliderTipAt(slider, x);
  const QString format = QStringLiteral("yyyy/MM/dd HH:mm:ss");
  EXPECT_EQ(QDateTime::fromString(before, format).secsTo(QDateTime::fromString(after, format)),
            3600)
      << before.toStdString() << " " << after.toStdString();

  dlg_->playback().CloseRecording();
  EXPECT_TRUE(dlg_->timeReadout()->text().isEmpty());
  EXPECT_TRUE(SliderTipAt(slider, x).isEmpty());
}

bool HasJapanese(const QString& text) {
  for (const char32_t c : text.toUcs4()) {
    if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) ||
        (c >= 0xFF00 && c <= 0xFFEF)) {
      return true;
    }
  }
  return false;
}

// Every text of the window shown in its place: whole and within its width,
// or cut with an ellipsis with the whole text as its tooltip and accessible
// name; never in Japanese.
void ExpectTextsFit(const CKestrelDlg& dlg) {
  int texts = 0;
  const auto expectFits = [&](const QWidget* widget, const QString& text, int room) {
    if (!widget->isVisible() || text.isEmpty()) return;
    ++texts;
    SCOPED_TRACE(text.toStdString());
    EXPECT_LE(widget->fontMetrics().horizontalAdvance(text), room);
    const QString whole = widget->accessibleName().isEmpty() ? text : widget->accessibleName();
    EXPECT_FALSE(HasJapanese(whole));
    if (text != whole) {
      EXPECT_TRUE(text.endsWith(QChar(0x2026)));
      EXPECT_EQ(widget->toolTip(), whole);
    }
  };
  for (const QLabel* label : dlg.findChildren<QLabel*>()) {
    expectFits(label, label->text(), label->contentsRect().width());
  }
  for (const QAbstractButton* button : dlg.findChildren<QAbstractButton*>()) {
    expectFits(button, button->text(), ButtonTextRoom(button));
    EXPECT_FALSE(HasJapanese(button->accessibleName())) << button->accessibleName().toStdString();
  }
  EXPECT_GE(texts, 2) << "the window's texts were found";
}

class EnglishWindowModes : public WindowModes {
 protected:
  void SetUp() override {
    SetUiLanguageChoice(UiLanguageChoice::kEnglish);
    WindowModes::SetUp();
  }
  void TearDown() override {
    WindowModes::TearDown();
    SetUiLanguageChoice(UiLanguageChoice::kAuto);
  }
};

TEST_F(EnglishWindowModes, EveryTextFitsItsPlaceInEachMode) {
  ASSERT_EQ(uiLanguage(), kEnglishUiLanguage);
  ASSERT_TRUE(OpenFirst());
  // The slowest rate's label is the longest.
  dlg_->OnCommand(kCmdPlayPause);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->engineState()->playState == 2; }, kOpenMs));
  for (int i = 0; i < 3; ++i) dlg_->OnCommand(kCmdSlower);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg_->rateLabelText().isEmpty(); }, kOpenMs));
  for (const int mode : {0, 1, 2}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(dlg_->windowModes().windowMode(), mode);
    ExpectTextsFit(*dlg_);
    SaveShot(*dlg_, mode == 0   ? "english-window-mode0"
                    : mode == 1 ? "english-window-mode1"
                                : "english-window-mode2");
    ClickSize();
  }
}

}  // namespace
