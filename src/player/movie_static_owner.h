#pragma once

#include <QPoint>
#include <cstdint>

// What the video surface reports to the window that owns it (the main
// window). The surface calls these directly, on the UI thread.
class CMovieStaticOwner {
 public:
  virtual ~CMovieStaticOwner() = default;
  // The end of the movie (the main window's message 0x8260).
  virtual void OnEndOfMovie(std::intptr_t wParam, std::intptr_t lParam) = 0;
  // The movie is ready (the main window's message 0x8261).
  virtual void OnMediaOpened(std::intptr_t wParam, std::intptr_t lParam) = 0;
  // Playing backwards stopped by itself: at the movie's first picture, or
  // `failed` when a picture could not be decoded.
  virtual void OnReverseStopped(bool failed) = 0;
  // The movie did not become ready: the engine has closed it.
  virtual void OnMediaOpenFailed() = 0;
  // A filter-graph notification (0x8004).
  virtual void OnGraphNotify(std::intptr_t wParam, std::intptr_t lParam) = 0;
  // A context-menu request at a screen point (0x825C).
  virtual void OnPopupMenu(const QPoint& screenPoint) = 0;
  // A press held for a double-click time, with the key flags and client
  // point of the press (0x825F).
  virtual void OnZoomClick(int keyFlags, const QPoint& point) = 0;
  // A double-click outside zoom mode: the owner decides whether to toggle
  // full screen.
  virtual void OnToggleFullScreen() = 0;
};
