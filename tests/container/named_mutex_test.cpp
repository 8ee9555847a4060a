#include "container/named_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

bool TryLockFromAnotherThread(std::recursive_mutex& mutex) {
  bool locked = false;
  std::thread other([&] {
    locked = mutex.try_lock();
    if (locked) mutex.unlock();
  });
  other.join();
  return locked;
}

TEST(NamedMutexTest, OneNameOneLock) {
  std::recursive_mutex& first = NamedMutex("test-shared-name");
  std::recursive_mutex& second = NamedMutex(std::string("test-shared-") + "name");
  EXPECT_EQ(&first, &second);
  EXPECT_NE(&first, &NamedMutex("test-other-name"));

  first.lock();
  EXPECT_FALSE(TryLockFromAnotherThread(second));
  // A different name is a different lock.
  EXPECT_TRUE(TryLockFromAnotherThread(NamedMutex("test-other-name")));
  // The owner may take it again (recursive) and must release it as often.
  EXPECT_TRUE(second.try_lock());
  first.unlock();
  EXPECT_FALSE(TryLockFromAnotherThread(first));
  second.unlock();
  EXPECT_TRUE(TryLockFromAnotherThread(first));
}

TEST(NamedMutexTest, ManyThreadsAskingForOneNameShareIt) {
  std::atomic<std::recursive_mutex*> seen{nullptr};
  std::atomic<int> different{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&] {
      std::recursive_mutex* mine = &NamedMutex("test-raced-name");
      std::recursive_mutex* expected = nullptr;
      if (!seen.compare_exchange_strong(expected, mine) && expected != mine) ++different;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(different, 0);
  EXPECT_EQ(seen.load(), &NamedMutex("test-raced-name"));
}

}  // namespace
