#pragma once

#include <QFrame>
#include <QTimer>
#include <functional>

class CMovieStaticOwner;

// The video surface (control 1000): shows the engine's picture, receives the
// engine's messages and hands them, and the user's presses, holds,
// double-clicks and context-menu requests, to its owner.
class CMovieStatic : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kControlId = 1000;
  // Timer ids of the press logic, for reference.
  static constexpr int kHoldTimerId = 200;
  static constexpr int kReleaseTimerId = 201;
  static constexpr int kLatchTimerId = 202;
  static constexpr int kLatchIntervalMs = 500;

  explicit CMovieStatic(QWidget* parent = nullptr);

  void setOwner(CMovieStaticOwner* owner) { owner_ = owner; }
  // Paints the client area; set by the engine.
  void setPicturePainter(std::function<void(QPainter&, const QRect&)> painter);
  // Finishes an open when the player reports it ready (true) or failed
  // (false); returns whether the movie is open. Set by the engine.
  void setOpenCompleter(std::function<bool(bool ready)> completer) {
    openCompleter_ = std::move(completer);
  }
  // In zoom mode the surface shows the zoom cursor and a double-click does
  // not ask for full screen.
  void setZoomMode(int mode);
  int zoomMode() const { return zoomMode_; }

  int fullScreen = 0;  // mirror of the main window's full-screen flag
  int buttonReleased() const { return buttonReleased_; }
  int captured() const { return captured_; }
  int doubleClickLatch() const { return doubleClickLatch_; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void OnHoldTimer();
  void OnReleaseTimer();
  void OnLatchTimer();

  CMovieStaticOwner* owner_ = nullptr;
  std::function<void(QPainter&, const QRect&)> picturePainter_;
  std::function<bool(bool)> openCompleter_;
  int buttonReleased_ = 0;
  int captured_ = 0;
  int zoomMode_ = 0;
  int doubleClickLatch_ = 0;
  int pressFlags_ = 0;
  QPoint press_;
  int releaseFlags_ = 0;
  QPoint release_;
  QTimer holdTimer_;     // 200
  QTimer releaseTimer_;  // 201
  QTimer latchTimer_;    // 202
};
