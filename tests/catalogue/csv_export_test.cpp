#include "catalogue/csv_export.h"

#include <gtest/gtest.h>

#include <sstream>

#include "catalogue/catalogue.h"
#include "generated_card.h"
#include "mkcard/card_plan.h"
#include "recorder_file_stub.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& file) {
  const std::vector<std::uint8_t> bytes = FileBytes(file);
  const std::string text(bytes.begin(), bytes.end());
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(text.substr(at) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

class CollectingSink : public MessageSink {
 public:
  void Post(int message, std::intptr_t wParam, std::intptr_t lParam) override {
    messages.push_back({message, wParam, lParam});
  }
  std::vector<std::array<std::intptr_t, 3>> messages;
};

class CsvExport : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
  }
  TempDir card_;
  TempDir out_;
};

TEST_F(CsvExport, ListsEveryRecordingOfTheSource) {
  mkcard::CardOptions options;
  options.folders = 2;
  options.files = 2;
  options.seconds = 2;
  options.width = 320;
  options.height = 180;
  options.triggers = "GS";
  GenerateRecordings(card_.path(), {"--folders", "2", "--files", "2", "--seconds", "2", "--size",
                                    "320x180", "--triggers", "GS"});
  // A recording that passes for a recorder file but whose atoms say nothing.
  WriteRecorderStub(card_.path() / "DCIM" / "101MEDIA" / "0612090000_A.MOV");
  const std::vector<mkcard::RecordingPlan> plan = mkcard::PlanCard(options);

  Catalogue catalogue;
  std::vector<FileEntry> entries;
  int counter = 0;
  catalogue.CollectAll(card_.path() / "DCIM", entries, counter);
  ASSERT_EQ(entries.size(), 5u);

  CollectingSink sink;
  fs::path remembered;
  const CsvResult result = ExportCsv(entries, out_.path(), {.sink = &sink,
                                                            .rememberFolder = [&](const fs::path& f) {
                                                              remembered = f;
                                                            }});
  ASSERT_EQ(result.error, CsvError::kNone) << result.why;
  const mkcard::LocalClock& s = plan[0].start;
  char name[64];
  std::snprintf(name, sizeof name, "Dv_%04d%02d%02d_%02d%02d%02d.csv", s.year, s.month, s.day,
                s.hour, s.minute, s.second);
  EXPECT_EQ(result.file, out_.path() / name);
  EXPECT_EQ(remembered, out_.path());

  const std::vector<std::string> lines = Lines(result.file);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "ファイル名,日付,開始時刻,録画時間,録画トリガー,録画サイズ,画質,フレームレート,データサイズ");
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const mkcard::LocalClock& start = plan[i].start;
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "%s,%04d/%02d/%02d,%02d:%02d:%02d,00:00:02,%s,,,30fps,0MB",
                  fs::path(plan[i].path).filename().c_str(), start.year, start.month, start.day,
                  start.hour, start.minute, start.second, plan[i].trigger == 'G' ? "衝撃" : "駐車衝撃");
    const std::size_t row = i < 2 ? i + 1 : i + 2;  // the stub sorts before 101MEDIA's recordings
    EXPECT_EQ(lines[row], expected);
  }
  EXPECT_EQ(lines[3], "0612090000_A.MOV,-,-,-,-,-,-,fps,0MB");

  ASSERT_EQ(sink.messages.size(), 7u);
  EXPECT_EQ(sink.messages[0], (std::array<std::intptr_t, 3>{0x8517, 0, 5}));
  EXPECT_EQ(sink.messages[5], (std::array<std::intptr_t, 3>{0x8517, 5, 5}));
  EXPECT_EQ(sink.messages[6], (std::array<std::intptr_t, 3>{0x8516, 0, 1}));
  EXPECT_TRUE(CsvExists(entries, out_.path()));
}

TEST_F(CsvExport, EmptyTracksGiveDashesAndLargePicturesTheirLabels) {
  GenerateRecordings(card_.path() / "a", {"--folders", "1", "--files", "1", "--seconds", "1",
                                          "--size", "1920x1080", "--fps", "29.97"});
  GenerateRecordings(card_.path() / "b", {"--folders", "1", "--files", "1", "--seconds", "1",
                                          "--size", "160x120", "--records", "0", "--quality", "N"});
  Catalogue catalogue;
  std::vector<FileEntry> entries;
  int counter = 0;
  catalogue.CollectAll(card_.path() / "a", entries, counter);
  catalogue.CollectAll(card_.path() / "b", entries, counter);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_FALSE(CsvExists(entries, out_.path()));
  const std::string full = CsvLine(entries[0]);
  EXPECT_NE(full.find(",00:00:01,"), std::string::npos) << full;
  EXPECT_NE(full.find(",FHD,高画質,30fps,"), std::string::npos) << full;
  EXPECT_EQ(CsvLine(entries[1]).substr(entries[1].name.size()), ",--/--/--,--:--:--,00:00:01,常時,,,30fps,0MB\r\n");

  // A first recording without records cannot name the list.
  std::reverse(entries.begin(), entries.end());
  const CsvResult result = ExportCsv(entries, out_.path());
  EXPECT_EQ(result.error, CsvError::kCannotCreate);
  EXPECT_EQ(CsvFailureText(result.error), "CSVファイルが作成できません。");
}

TEST_F(CsvExport, FailuresAndCancel) {
  const auto files = GenerateRecordings(card_.path(), {"--folders", "1", "--files", "3",
                                                       "--seconds", "1", "--size", "160x120"});
  Catalogue catalogue;
  std::vector<FileEntry> entries;
  int counter = 0;
  catalogue.CollectAll(card_.path() / "DCIM", entries, counter);
  ASSERT_EQ(entries.size(), 3u);

  EXPECT_EQ(ExportCsv({}, out_.path()).error, CsvError::kNoRecordings);
  EXPECT_EQ(CsvFailureText(CsvError::kNoRecordings), "動画ファイルがありません。");

  // An output folder that cannot take a file.
  std::ofstream(out_.path() / "plain-file") << "x";
  CollectingSink sink;
  const CsvResult unwritable = ExportCsv(entries, out_.path() / "plain-file", {.sink = &sink});
  EXPECT_EQ(unwritable.error, CsvError::kCannotCreate);
  EXPECT_EQ(sink.messages.back(), (std::array<std::intptr_t, 3>{0x8516, 0, 0}));
  EXPECT_EQ(ExportCsv(entries, out_.path() / "missing").error, CsvError::kCannotCreate);

  // A recording that vanished after listing gets the placeholder; the rest go on.
  fs::remove(entries[1].path);
  const CsvResult partial = ExportCsv(entries, out_.path());
  ASSERT_EQ(partial.error, CsvError::kNone);
  const std::vector<std::string> lines = Lines(partial.file);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], entries[1].name + ",-,-,-,-,-,-,fps,0MB");

  // Cancelled before the first line: the header stays, nothing else.
  std::atomic<bool> running{false};
  const CsvResult cancelled = ExportCsv(entries, out_.path(), {.running = &running});
  EXPECT_EQ(cancelled.error, CsvError::kCancelled);
  EXPECT_EQ(Lines(cancelled.file).size(), 1u);
  EXPECT_EQ(std::distance(fs::directory_iterator(out_.path()), {}), 2);  // plain-file and the list
}

}  // namespace
