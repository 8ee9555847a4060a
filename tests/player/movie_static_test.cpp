#include "player/movie_static.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

#include "fake_surface_owner.h"
#include "message_recorder.h"
#include "player/engine_messages.h"

namespace {

constexpr int kDoubleClickMs = 150;

class MovieStaticTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(kDoubleClickMs);
    surface_.setOwner(&owner_);
    surface_.resize(320, 180);
    surface_.show();
  }
  void Send(QEvent::Type type, QPoint at) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, QPointF(at), surface_.mapToGlobal(QPointF(at)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&surface_, &event);
  }
  // The order of a double-click: press, release, press, double-click, release.
  void DoubleClick(QPoint at) {
    Send(QEvent::MouseButtonPress, at);
    Send(QEvent::MouseButtonRelease, at);
    Send(QEvent::MouseButtonPress, at);
    Send(QEvent::MouseButtonDblClick, at);
    Send(QEvent::MouseButtonRelease, at);
  }

  FakeOwner owner_;
  CMovieStatic surface_;
};

TEST_F(MovieStaticTest, HoldReportsOnceAfterTheDoubleClickTime) {
  Send(QEvent::MouseButtonPress, {40, 50});
  RunEventsFor(kDoubleClickMs / 3);
  EXPECT_EQ(owner_.holds, 0);
  ASSERT_TRUE(WaitUntil([&] { return owner_.holds > 0; }, 5000));
  EXPECT_EQ(owner_.holdPoint, QPoint(40, 50));
  EXPECT_EQ(surface_.captured(), 1);
  RunEventsFor(kDoubleClickMs * 2);
  EXPECT_EQ(owner_.holds, 1);
  Send(QEvent::MouseButtonRelease, {40, 50});
  EXPECT_EQ(surface_.buttonReleased(), 1);
  ASSERT_TRUE(WaitUntil([&] { return surface_.captured() == 0; }, 5000));
  EXPECT_EQ(owner_.holds, 1);
}

TEST_F(MovieStaticTest, QuickClickReportsNoHold) {
  Send(QEvent::MouseButtonPress, {10, 10});
  Send(QEvent::MouseButtonRelease, {10, 10});
  RunEventsFor(kDoubleClickMs * 3);
  EXPECT_EQ(owner_.holds, 0);
  EXPECT_EQ(surface_.captured(), 0);
}

TEST_F(MovieStaticTest, DoubleClickNeverHoldsAndAsksForFullScreen) {
  DoubleClick({30, 30});
  RunEventsFor(kDoubleClickMs * 3);
  EXPECT_EQ(owner_.holds, 0);
  EXPECT_EQ(owner_.fullScreens, 1);
  EXPECT_EQ(surface_.doubleClickLatch(), 0);
  EXPECT_EQ(surface_.captured(), 0);

  // In zoom mode a double-click leaves full screen alone.
  surface_.setZoomMode(1);
  EXPECT_EQ(surface_.cursor().shape(), Qt::BitmapCursor);
  DoubleClick({30, 30});
  RunEventsFor(kDoubleClickMs * 3);
  EXPECT_EQ(owner_.fullScreens, 1);
  EXPECT_EQ(owner_.holds, 0);
  surface_.setZoomMode(0);
  EXPECT_NE(surface_.cursor().shape(), Qt::BitmapCursor);
}

TEST_F(MovieStaticTest, HandsTheEngineMessagesAndMenusToItsOwner) {
  PostAppMessage(&surface_, WM_MEDIA_PAUSED, 1, 2);
  PostAppMessage(&surface_, WM_MEDIA_READY, 3, 4);
  RunEventsFor(20);
  EXPECT_EQ(owner_.opened, 1);
  EXPECT_EQ(owner_.lastW, 3);
  EXPECT_EQ(owner_.lastL, 4);
  PostAppMessage(&surface_, WM_MEDIA_ENDED, 5, 6);
  PostAppMessage(&surface_, WM_GRAPH_NOTIFY, 0, 0);
  RunEventsFor(20);
  EXPECT_EQ(owner_.ended, 1);
  EXPECT_EQ(owner_.lastW, 5);
  EXPECT_EQ(owner_.graph, 1);
  EXPECT_EQ(owner_.opened, 1);

  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 6), QPoint(105, 206));
  QCoreApplication::sendEvent(&surface_, &menu);
  EXPECT_EQ(owner_.menus, 1);
  EXPECT_EQ(owner_.menuPoint, QPoint(105, 206));
}

}  // namespace
