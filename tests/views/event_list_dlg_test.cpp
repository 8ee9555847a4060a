#include "views/event_list_dlg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>
#include <tuple>

#include "container/named_mutex.h"
#include "generated_card.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLinks = 500;

// A card of 500 recordings, hard links to four generated ones, and a
// recording cut short among them.
class EventListTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const std::vector<fs::path> made =
        GenerateRecordings(dir_->path() / "made", {"--folders", "1", "--files", "4", "--seconds",
                                                   "3", "--size", "160x120", "--triggers", "GMAS"});
    ASSERT_EQ(made.size(), 4u);
    for (int i = 0; i < kLinks; ++i) {
      const fs::path folder = Card() / "DCIM" / (std::to_string(100 + i / 100) + "MEDIA");
      fs::create_directories(folder);
      const fs::path& from = made[static_cast<std::size_t>(i) % made.size()];
      char name[32];
      std::snprintf(name, sizeof name, "0612%02d%02d%02d_%c.MOV", 8 + i / 3600, i / 60 % 60, i % 60,
                    from.filename().string()[11]);
      fs::create_hard_link(from, folder / name);
    }
    fs::copy_file(made[0], Cut());
    fs::resize_file(Cut(), fs::file_size(Cut()) / 2);
  }
  static void TearDownTestSuite() { delete dir_; }
  static fs::path Card() { return dir_->path() / "card"; }
  static fs::path Cut() { return Card() / "DCIM" / "104MEDIA" / "0612235959_G.MOV"; }

  static bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 60000) QTest::qWait(5);
    return done();
  }

  static TempDir* dir_;
};
TempDir* EventListTest::dir_ = nullptr;

// Holds the lock that every sensor-track read takes, on a thread of its
// own, until released: the scan stands still meanwhile.
class HeldTrackLock {
 public:
  HeldTrackLock() {
    holder_ = std::thread([this] {
      std::unique_lock wait(m_);
      const std::lock_guard held(NamedMutex("hMutexFind"));
      locked_ = true;
      changed_.notify_all();
      changed_.wait(wait, [this] { return released_; });
    });
    std::unique_lock wait(m_);
    changed_.wait(wait, [this] { return locked_; });
  }
  // Releases the lock `after` from now, without waiting.
  void Release(std::chrono::milliseconds after) {
    releaser_ = std::thread([this, after] {
      std::this_thread::sleep_for(after);
      const std::lock_guard lock(m_);
      released_ = true;
      changed_.notify_all();
    });
  }
  ~HeldTrackLock() {
    if (!releaser_.joinable()) Release(std::chrono::milliseconds(0));
    releaser_.join();
    holder_.join();
  }

 private:
  std::mutex m_;
  std::condition_variable changed_;
  bool locked_ = false;
  bool released_ = false;
  std::thread holder_;
  std::thread releaser_;
};

}  // namespace

TEST_F(EventListTest, ListsTheCardAsTheCommandLineDoesAndOpensAnEvent) {
  CEventListDlg dialog;
  QSignalSpy finished(&dialog, &CEventListDlg::scanFinished);
  dialog.Scan(Card(), EventChannelSwitches{}, 0);
  ASSERT_TRUE(WaitFor([&] { return finished.count() == 1; }));
  EXPECT_FALSE(finished.at(0).at(0).toBool());
  EXPECT_FALSE(dialog.scanning());

  // The same events as kestrel-cli's, and the cut recording as unreadable.
  using Event = std::tuple<std::string, std::string, qlonglong>;
  const std::array<const char*, kEventChannelCount> kinds = {
      "衝撃 X",     "衝撃 Y",   "衝撃 Z",   "ユーザーポイント",
      "急ブレーキ", "駐車衝撃", "速度超過", "運転支援"};
  const mkcard::ProgramResult cli =
      mkcard::RunProgram({KESTREL_CLI_PATH, "events", Card().string(), "--json"});
  ASSERT_EQ(cli.failure, "") << cli.errors;
  std::multiset<Event> expected;
  for (const nlohmann::json& e : nlohmann::json::parse(cli.output)) {
    const std::string file = fs::path(e["recording"].get<std::string>()).filename().string();
    if (e.contains("unreadable")) {
      expected.emplace(file, "読み込めません", -1);
      continue;
    }
    const auto kind = std::find(kEventChannelNames.begin(), kEventChannelNames.end(),
                                e["kind"].get<std::string>()) -
                      kEventChannelNames.begin();
    expected.emplace(file, kinds.at(static_cast<std::size_t>(kind)),
                     e["offset_ms"].get<qlonglong>());
  }
  QAbstractItemModel* model = dialog.table()->model();
  std::multiset<Event> shown;
  QSignalSpy chosen(&dialog, &CEventListDlg::eventChosen);
  for (int row = 0; row < model->rowCount(); ++row) {
    const QModelIndex kind = model->index(row, CEventListDlg::kKind);
    const std::string file =
        model->index(row, CEventListDlg::kRecording).data().toString().toStdString();
    const std::string text = kind.data().toString().toStdString();
    qlonglong offset = -1;
    if (text != "読み込めません") {
      emit dialog.table()->doubleClicked(kind);  // as a double-click on the row
      EXPECT_EQ(chosen.count(), 1);
      if (chosen.count() == 1) {
        EXPECT_TRUE(chosen.at(0).at(0).toString().endsWith(QString::fromStdString(file)));
        offset = chosen.at(0).at(1).toLongLong();
      }
      chosen.clear();
    }
    shown.emplace(file, text, offset);
  }
  EXPECT_GT(shown.size(), static_cast<std::size_t>(kLinks));
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(shown.count({Cut().filename().string(), "読み込めません", -1}), 1u);

  // Sorted by peak G, largest first; filtered by a kind's name.
  dialog.table()->sortByColumn(CEventListDlg::kPeakG, Qt::DescendingOrder);
  const auto peak = [&](int row) {
    return model->index(row, CEventListDlg::kPeakG).data().toString().chopped(1).toDouble();
  };
  for (int row = 1; row < 50; ++row) EXPECT_GE(peak(row - 1), peak(row)) << row;
  dialog.filter()->setText("速度超過");
  ASSERT_GT(model->rowCount(), 0);
  for (int row = 0; row < model->rowCount(); ++row) {
    EXPECT_EQ(model->index(row, CEventListDlg::kKind).data().toString(), "速度超過");
  }

  // In mph the speeds follow the panel's rule; the order stays the records'.
  dialog.filter()->clear();
  dialog.SetSpeedUnit(SpeedUnit::kMph);
  dialog.Scan(Card(), EventChannelSwitches{}, 0);
  ASSERT_TRUE(WaitFor([&] { return finished.count() == 2; }));
  int moving = 0;
  for (int row = 0; row < model->rowCount(); ++row) {
    const QModelIndex speed = model->index(row, CEventListDlg::kSpeed);
    const double kmh = speed.data(Qt::UserRole + 1).toDouble();  // the sort key
    if (kmh < 0) {
      EXPECT_TRUE(speed.data().toString() == "-" || speed.data().toString().isEmpty());
      continue;
    }
    EXPECT_EQ(speed.data().toString(),
              QString::fromStdString(ShownSpeedText(SpeedUnit::kMph, kmh)) + " mph");
    if (kmh >= 2) ++moving;
  }
  EXPECT_GT(moving, 0);
}

TEST_F(EventListTest, CancelStopsTheScanAtOnceAndKeepsWhatWasFound) {
  CEventListDlg dialog;
  QSignalSpy finished(&dialog, &CEventListDlg::scanFinished);
  {
    HeldTrackLock held;
    dialog.Scan(Card(), EventChannelSwitches{}, 0);
    // The card is walked; the first recording's read waits for the lock.
    ASSERT_TRUE(WaitFor([&] { return dialog.status()->text().startsWith("0 / 501 "); }))
        << dialog.status()->text().toStdString();
    EXPECT_TRUE(dialog.scanning());
    EXPECT_TRUE(dialog.cancelButton()->isEnabled());
    // The click answers while the worker still stands: the window does not
    // wait for it. When the lock goes, the recording being read ends and no
    // other is started.
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_FALSE(dialog.cancelButton()->isEnabled());
    QTest::qWait(100);
    EXPECT_EQ(finished.count(), 0);
    held.Release(std::chrono::milliseconds(0));
  }
  ASSERT_TRUE(WaitFor([&] { return finished.count() == 1; }));
  EXPECT_TRUE(finished.at(0).at(0).toBool());
  EXPECT_FALSE(dialog.scanning());
  EXPECT_LT(dialog.table()->model()->rowCount(), 40);  // one recording's events at most
  EXPECT_FALSE(dialog.cancelButton()->isEnabled());
  EXPECT_TRUE(dialog.status()->text().contains("中止"));
}

TEST_F(EventListTest, ClosingTheWindowDuringAScanDoesNotWaitForIt) {
  HeldTrackLock held;
  QElapsedTimer clock;
  {
    CEventListDlg dialog;
    dialog.Scan(Card(), EventChannelSwitches{}, 0);
    ASSERT_TRUE(WaitFor([&] { return dialog.status()->text().startsWith("0 / 501 "); }))
        << dialog.status()->text().toStdString();
    ASSERT_TRUE(dialog.scanning());
    clock.start();
  }
  EXPECT_LT(clock.elapsed(), 200);
}
