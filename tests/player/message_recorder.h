#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <vector>

#include "base/app_message.h"

// Stands in for the window that receives the engine's posted messages and
// keeps their numbers in arrival order.
class MessageRecorder : public QObject {
 public:
  std::vector<int> messages;

  int Count(int message) const {
    int n = 0;
    for (int m : messages) n += m == message ? 1 : 0;
    return n;
  }

 protected:
  bool event(QEvent* event) override {
    if (auto* message = dynamic_cast<AppMessageEvent*>(event)) {
      messages.push_back(message->message());
      return true;
    }
    return QObject::event(event);
  }
};

// Runs the event loop until `done` holds or `timeoutMs` passes; returns done().
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Runs the event loop for `ms` milliseconds.
inline void RunEventsFor(int ms) {
  WaitUntil([] { return false; }, ms);
}
