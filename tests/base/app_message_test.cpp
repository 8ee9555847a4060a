#include "base/app_message.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "container/named_mutex.h"

namespace {

struct Received {
  int message;
  std::intptr_t wParam;
  std::intptr_t lParam;
  QThread* thread;
};

// Records the application messages it receives.
class Receiver : public QObject {
 public:
  std::vector<Received> received;

 protected:
  bool event(QEvent* event) override {
    if (event->type() >= QEvent::User && event->type() <= QEvent::MaxUser) {
      const auto* message = static_cast<AppMessageEvent*>(event);
      received.push_back(
          {message->message(), message->wParam(), message->lParam(), QThread::currentThread()});
      return true;
    }
    return QObject::event(event);
  }
};

TEST(AppMessage, PostedFromAWorkerArrivesOnTheUiThreadIntact) {
  Receiver window;
  std::thread worker([&] {
    PostAppMessage(&window, 0x8001, 1, -1);
    WindowMessageSink sink(&window);
    sink.Post(0x84B1, INTPTR_MAX, INTPTR_MIN);
  });
  worker.join();
  EXPECT_TRUE(window.received.empty()) << "posted, not sent";
  QTRY_COMPARE(window.received.size(), size_t{2});
  EXPECT_EQ(window.received[0].message, 0x8001);
  EXPECT_EQ(window.received[0].wParam, 1);
  EXPECT_EQ(window.received[0].lParam, -1);
  EXPECT_EQ(window.received[1].message, 0x84B1);
  EXPECT_EQ(window.received[1].wParam, INTPTR_MAX);
  EXPECT_EQ(window.received[1].lParam, INTPTR_MIN);
  for (const auto& r : window.received) EXPECT_EQ(r.thread, QCoreApplication::instance()->thread());
}

TEST(NamedMutex, UsersOfOneNameShareOneLock) {
  for (const char* name :
       {"hMutexCache", "hMutexCpSet", "hFileMutex", "hCacheFileMutex", "hMutexFind"}) {
    std::recursive_mutex& first = NamedMutex(name);
    std::recursive_mutex& second = NamedMutex(std::string(name));
    EXPECT_EQ(&first, &second) << name;
    std::lock_guard held(first);
    std::lock_guard again(second);  // recursive for the holder
    std::atomic<bool> otherGotIt{true};
    std::thread other([&] {
      otherGotIt = NamedMutex(name).try_lock();
      if (otherGotIt) NamedMutex(name).unlock();
    });
    other.join();
    EXPECT_FALSE(otherGotIt) << name;
  }
  EXPECT_NE(&NamedMutex("hFileMutex"), &NamedMutex("hCacheFileMutex"));
}

}  // namespace
