#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>

#include "container/message_sink.h"

// A window message of the viewer: a posted event whose type is the message's
// number (0x8001 ... 0x84B1 and so on, all inside QEvent::User..MaxUser),
// carrying the two numbers of the message.
class AppMessageEvent : public QEvent {
 public:
  AppMessageEvent(int message, std::intptr_t wParam, std::intptr_t lParam)
      : QEvent(static_cast<QEvent::Type>(message)), wParam_(wParam), lParam_(lParam) {}

  int message() const { return static_cast<int>(type()); }
  std::intptr_t wParam() const { return wParam_; }
  std::intptr_t lParam() const { return lParam_; }

 private:
  std::intptr_t wParam_;
  std::intptr_t lParam_;
};

// Posts `message` to `target`; it arrives on the target's thread. Safe to call
// from any thread.
void PostAppMessage(QObject* target, int message, std::intptr_t wParam = 0,
                    std::intptr_t lParam = 0);

// A MessageSink that posts to one window.
class WindowMessageSink : public MessageSink {
 public:
  explicit WindowMessageSink(QObject* target) : target_(target) {}
  void Post(int message, std::intptr_t wParam, std::intptr_t lParam) override {
    PostAppMessage(target_, message, wParam, lParam);
  }

 private:
  QObject* target_;
};
