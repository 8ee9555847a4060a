#pragma once

#include <QPoint>
#include <cstdint>

#include "player/movie_static_owner.h"

// Stands in for the main window: counts what the video surface reports.
class FakeOwner : public CMovieStaticOwner {
 public:
  int ended = 0, reverseStops = 0, reverseFailures = 0, opened = 0, failed = 0, graph = 0,
      menus = 0, holds = 0, fullScreens = 0;
  QPoint menuPoint, holdPoint;
  std::intptr_t lastW = 0, lastL = 0;

  void OnEndOfMovie(std::intptr_t w, std::intptr_t l) override {
    ++ended;
    lastW = w;
    lastL = l;
  }
  void OnMediaOpened(std::intptr_t w, std::intptr_t l) override {
    ++opened;
    lastW = w;
    lastL = l;
  }
  void OnMediaOpenFailed() override { ++failed; }
  void OnReverseStopped(bool decodeFailed) override {
    ++reverseStops;
    reverseFailures += decodeFailed ? 1 : 0;
  }
  void OnGraphNotify(std::intptr_t, std::intptr_t) override { ++graph; }
  void OnPopupMenu(const QPoint& p) override {
    ++menus;
    menuPoint = p;
  }
  void OnZoomClick(int, const QPoint& p) override {
    ++holds;
    holdPoint = p;
  }
  void OnToggleFullScreen() override { ++fullScreens; }
};
