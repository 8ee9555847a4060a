#include "catalogue/movie_resource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <vector>

#include "recorder_file_stub.h"

namespace {

// Collects the messages the watcher posts.
class CollectingSink : public MessageSink {
 public:
  void Post(int message, std::intptr_t, std::intptr_t) override {
    std::lock_guard<std::mutex> guard(lock);
    messages.push_back(message);
    arrived.notify_all();
  }
  bool WaitForMessages(std::size_t count, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> guard(lock);
    return arrived.wait_for(guard, limit, [&] { return messages.size() >= count; });
  }
  std::mutex lock;
  std::condition_variable arrived;
  std::vector<int> messages;
};

TEST(MovieResource, PostsOnceWhenTheSourceVanishes) {
  TempDir card;
  const auto source = card.path() / "DCIM";
  std::filesystem::create_directories(source);
  CollectingSink sink;
  CMovieResource watcher;
  watcher.Start(&sink);
  watcher.SetPath(source.string());

  EXPECT_FALSE(sink.WaitForMessages(1, std::chrono::milliseconds(300)));
  EXPECT_FALSE(watcher.changed());

  std::filesystem::remove_all(source);
  ASSERT_TRUE(sink.WaitForMessages(1, std::chrono::seconds(5)));
  EXPECT_TRUE(watcher.changed());
  EXPECT_TRUE(watcher.path().empty());
  // The path is emptied: no second report, even when the folder comes back.
  std::filesystem::create_directories(source);
  EXPECT_FALSE(sink.WaitForMessages(2, std::chrono::milliseconds(300)));
  watcher.Stop();
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], 0x84B1);
}

TEST(MovieResource, WatchesNothingWithoutAPathAndFollowsANewOne) {
  TempDir card;
  CollectingSink sink;
  CMovieResource watcher;
  watcher.Start(&sink);
  EXPECT_FALSE(sink.WaitForMessages(1, std::chrono::milliseconds(250)));

  // A source replaced by another is not reported when the old one goes.
  const auto first = card.path() / "first";
  const auto second = card.path() / "second";
  std::filesystem::create_directories(first);
  std::filesystem::create_directories(second);
  watcher.SetPath(first.string());
  watcher.SetPath(second.string());
  std::filesystem::remove_all(first);
  EXPECT_FALSE(sink.WaitForMessages(1, std::chrono::milliseconds(300)));
  watcher.Stop();
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_FALSE(watcher.changed());
}

}  // namespace
