#include "player/movie_static.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

#include "base/app_message.h"
#include "player/engine_messages.h"
#include "player/movie_static_owner.h"
#include "player/zoom_cursor.h"

namespace {

// The key flags of a mouse message (MK_LBUTTON, MK_RBUTTON, MK_SHIFT,
// MK_CONTROL, MK_MBUTTON).
int KeyFlags(const QMouseEvent* event) {
  int flags = 0;
  if (event->buttons() & Qt::LeftButton) flags |= 0x1;
  if (event->buttons() & Qt::RightButton) flags |= 0x2;
  if (event->modifiers() & Qt::ShiftModifier) flags |= 0x4;
  if (event->modifiers() & Qt::ControlModifier) flags |= 0x8;
  if (event->buttons() & Qt::MiddleButton) flags |= 0x10;
  return flags;
}

int DoubleClickTime() { return QGuiApplication::styleHints()->mouseDoubleClickInterval(); }

}  // namespace

CMovieStatic::CMovieStatic(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setFocusPolicy(Qt::ClickFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  for (QTimer* timer : {&holdTimer_, &releaseTimer_, &latchTimer_}) timer->setSingleShot(true);
  latchTimer_.setSingleShot(false);
  connect(&holdTimer_, &QTimer::timeout, this, &CMovieStatic::OnHoldTimer);
  connect(&releaseTimer_, &QTimer::timeout, this, &CMovieStatic::OnReleaseTimer);
  connect(&latchTimer_, &QTimer::timeout, this, &CMovieStatic::OnLatchTimer);
}

void CMovieStatic::setPicturePainter(std::function<void(QPainter&, const QRect&)> painter) {
  picturePainter_ = std::move(painter);
  update();
}

void CMovieStatic::setZoomMode(int mode) {
  zoomMode_ = mode;
  if (mode != 0) {
    setCursor(ZoomCursor());
  } else {
    unsetCursor();
  }
}

bool CMovieStatic::event(QEvent* event) {
  auto* message = dynamic_cast<AppMessageEvent*>(event);
  if (message == nullptr) return QFrame::event(event);
  switch (message->message()) {
    case WM_MEDIA_ENDED:
      if (owner_ != nullptr) owner_->OnEndOfMovie(message->wParam(), message->lParam());
      break;
    case WM_MEDIA_READY:
    case WM_MEDIA_FAILED: {
      const bool ready = message->message() == WM_MEDIA_READY;
      const bool opened = openCompleter_ ? openCompleter_(ready) : ready;
      if (owner_ == nullptr) break;
      if (opened) {
        owner_->OnMediaOpened(message->wParam(), message->lParam());
      } else {
        owner_->OnMediaOpenFailed();
      }
      break;
    }
    case WM_MEDIA_REVERSE_STOPPED:
      if (owner_ != nullptr) owner_->OnReverseStopped(message->wParam() != 0);
      break;
    case WM_GRAPH_NOTIFY:
      if (owner_ != nullptr) owner_->OnGraphNotify(message->wParam(), message->lParam());
      break;
    default:  // WM_MEDIA_PAUSED and anything else: nothing to do
      break;
  }
  return true;
}

void CMovieStatic::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    const QRect client = contentsRect();
    if (picturePainter_) {
      picturePainter_(painter, client);
    } else {
      painter.fillRect(client, Qt::black);
    }
  }
  QFrame::paintEvent(event);
}

void CMovieStatic::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QFrame::mousePressEvent(event);
  buttonReleased_ = 0;
  setFocus(Qt::MouseFocusReason);
  if (doubleClickLatch_ != 0) return;
  pressFlags_ = KeyFlags(event);
  press_ = event->position().toPoint();
  captured_ = 0;
  holdTimer_.start(DoubleClickTime());
}

void CMovieStatic::OnHoldTimer() {
  holdTimer_.stop();
  if (captured_ != 0) return;
  captured_ = 1;
  grabMouse();
  if (owner_ != nullptr) owner_->OnZoomClick(pressFlags_, press_);
}

void CMovieStatic::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QFrame::mouseReleaseEvent(event);
  buttonReleased_ = 1;
  // A press released within the double-click time is a click, not a hold.
  holdTimer_.stop();
  if (doubleClickLatch_ != 0) {
    doubleClickLatch_ = 0;
    return;
  }
  releaseFlags_ = KeyFlags(event);
  release_ = event->position().toPoint();
  releaseTimer_.start(DoubleClickTime());
}

void CMovieStatic::OnReleaseTimer() {
  releaseTimer_.stop();
  if (captured_ == 0) return;
  captured_ = 0;
  releaseMouse();
}

void CMovieStatic::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QFrame::mouseDoubleClickEvent(event);
  holdTimer_.stop();
  releaseTimer_.stop();
  captured_ = 0;
  doubleClickLatch_ = 1;
  buttonReleased_ = 0;
  releaseMouse();
  if (zoomMode_ == 0 && owner_ != nullptr) owner_->OnToggleFullScreen();
  latchTimer_.start(kLatchIntervalMs);
}

void CMovieStatic::OnLatchTimer() {
  if (buttonReleased_ == 0) return;  // fires again until the button is up
  doubleClickLatch_ = 0;
  latchTimer_.stop();
}

void CMovieStatic::contextMenuEvent(QContextMenuEvent* event) {
  if (owner_ != nullptr) owner_->OnPopupMenu(event->globalPos());
}
