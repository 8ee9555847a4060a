#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "mkcard/card_plan.h"
#include "mkcard/program_runner.h"

namespace {

namespace fs = std::filesystem;

mkcard::ProgramResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), KESTREL_CLI_PATH);
  return mkcard::RunProgram(args);
}

class CatalogueCommands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new fs::path(fs::temp_directory_path() / ("kestrel-cli-" + std::to_string(getpid())));
    options_.folders = 2;
    options_.files = 2;
    options_.seconds = 2;
    options_.width = 160;
    options_.height = 120;
    options_.triggers = "AGPM";
    const mkcard::ProgramResult made = mkcard::RunProgram(
        {KESTREL_MKCARD_PATH, "--folders", "2", "--files", "2", "--seconds", "2", "--size",
         "160x120", "--triggers", "AGPM", (*folder_ / "card").string()});
    ASSERT_EQ(made.failure, "") << made.errors;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*folder_);
    delete folder_;
  }
  static fs::path Card() { return *folder_ / "card"; }

  static fs::path* folder_;
  static mkcard::CardOptions options_;
};
fs::path* CatalogueCommands::folder_ = nullptr;
mkcard::CardOptions CatalogueCommands::options_;

TEST_F(CatalogueCommands, ListShowsTheCardsRecordingsInOrder) {
  const std::vector<mkcard::RecordingPlan> plan = mkcard::PlanCard(options_);
  const mkcard::ProgramResult text = Cli({"list", Card().string()});
  ASSERT_EQ(text.failure, "") << text.errors;
  std::istringstream lines(text.output);
  std::string line;
  for (const mkcard::RecordingPlan& recording : plan) {
    ASSERT_TRUE(std::getline(lines, line));
    const fs::path path = Card() / recording.path;
    EXPECT_EQ(line, path.filename().string() + '\t' + recording.trigger + '\t' +
                        std::to_string(fs::file_size(path)) + '\t' + path.string());
  }
  EXPECT_FALSE(std::getline(lines, line));

  const mkcard::ProgramResult json =
      Cli({"list", (Card() / "DCIM" / "101MEDIA").string(), "--json"});
  ASSERT_EQ(json.failure, "") << json.errors;
  const nlohmann::json list = nlohmann::json::parse(json.output);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1]["name"], fs::path(plan[3].path).filename().string());
  EXPECT_EQ(list[1]["trigger"], "M");
  EXPECT_EQ(list[1]["size"], fs::file_size(Card() / plan[3].path));
  EXPECT_EQ(list[1]["path"], (Card() / plan[3].path).string());

  const mkcard::ProgramResult single = Cli({"list", (Card() / plan[0].path).string(), "--json"});
  EXPECT_EQ(nlohmann::json::parse(single.output).size(), 1u);
  EXPECT_EQ(Cli({"list", (*folder_ / "nothing").string()}).output, "");
  EXPECT_NE(Cli({"list"}).failure, "");
  EXPECT_NE(Cli({"list", "a", "--xml"}).failure, "");
}

TEST_F(CatalogueCommands, CsvJoinAndGpxWriteTheirFiles) {
  const fs::path out = *folder_ / "out";
  fs::create_directories(out);
  const mkcard::ProgramResult csv = Cli({"csv", Card().string(), out.string()});
  ASSERT_EQ(csv.failure, "") << csv.errors;
  const fs::path list = csv.output.substr(0, csv.output.size() - 1);
  EXPECT_TRUE(std::regex_match(list.filename().string(), std::regex(R"(Dv_\d{8}_\d{6}\.csv)")));
  EXPECT_TRUE(fs::exists(list));
  const mkcard::ProgramResult badCsv = Cli({"csv", Card().string(), (out / "missing").string()});
  EXPECT_NE(badCsv.failure, "");
  EXPECT_NE(badCsv.errors.find("CSVファイルが作成できません。"), std::string::npos);

  const std::vector<mkcard::RecordingPlan> plan = mkcard::PlanCard(options_);
  const fs::path joined = out / "joined.MOV";
  const mkcard::ProgramResult join = Cli({"join", joined.string(), (Card() / plan[0].path).string(),
                                          (Card() / plan[1].path).string()});
  ASSERT_EQ(join.failure, "") << join.errors;
  EXPECT_GT(fs::file_size(joined), fs::file_size(Card() / plan[0].path));
  const mkcard::ProgramResult badJoin = Cli({"join", (out / "x.MOV").string(), list.string()});
  EXPECT_NE(badJoin.failure, "");
  EXPECT_NE(badJoin.errors.find("動画の連結に失敗しました。"), std::string::npos);
  EXPECT_FALSE(fs::exists(out / "x.MOV"));

  // The route of the first folder: one point per fixed record, a new
  // segment after every stretch without a fix.
  const fs::path gpx = out / "route.gpx";
  const mkcard::ProgramResult route = Cli({"gpx", (Card() / plan[0].path).string(),
                                           (Card() / plan[1].path).string(), "-o", gpx.string()});
  ASSERT_EQ(route.failure, "") << route.errors;
  std::ifstream in(gpx);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  int fixed = 0, segments = 0;
  bool inFix = false;
  for (const mkcard::RecordingPlan* recording : {&plan[0], &plan[1]}) {
    for (const mkcard::SensorSample& sample : recording->samples) {
      fixed += sample.fix;
      segments += sample.fix && !inFix;
      inFix = sample.fix;
    }
  }
  const auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
      ++n;
    return static_cast<int>(n);
  };
  EXPECT_GT(fixed, 0);
  EXPECT_EQ(count("<trkpt "), fixed);
  EXPECT_EQ(count("<trkseg>"), segments);
  EXPECT_NE(text.find("<gpx version=\"1.1\""), std::string::npos);
  EXPECT_NE(Cli({"gpx", (Card() / plan[0].path).string()}).failure, "");
}

// Names a user or another program gave: a comma, a quote, a tab, CR, LF and
// bytes that are not UTF-8, in the folder's and the files' names.
TEST_F(CatalogueCommands, OddNamesKeepTheirColumnsAndReadBack) {
  const std::vector<mkcard::RecordingPlan> plan = mkcard::PlanCard(options_);
  const fs::path folder = *folder_ / "odd, \"folder\"\t\xff";
  fs::create_directories(folder);
  const std::vector<std::string> names = {"a,b_0405060_G.MOV", "q\"uote\"0506_G.MOV",
                                          "tab\there_0607_M.MOV", "line\r\nbreak_A.MOV",
                                          "bytes\xff\xfe_0809_P.MOV"};
  for (const std::string& name : names) fs::create_hard_link(Card() / plan[0].path, folder / name);

  const mkcard::ProgramResult text = Cli({"list", folder.string()});
  ASSERT_EQ(text.failure, "") << text.errors;
  EXPECT_EQ(std::count(text.output.begin(), text.output.end(), '\n'), 5) << text.output;
  std::istringstream lines(text.output);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
    EXPECT_EQ(line.find('\r'), std::string::npos) << line;
  }

  const fs::path out = *folder_ / "odd-out";
  fs::create_directories(out);
  const mkcard::ProgramResult json = Cli({"list", folder.string(), "--json"});
  ASSERT_EQ(json.failure, "") << json.errors;
  std::ofstream(out / "list.json") << json.output;
  const mkcard::ProgramResult csv = Cli({"csv", folder.string(), out.string()});
  ASSERT_EQ(csv.failure, "") << csv.errors;
  const std::string list = csv.output.substr(0, csv.output.size() - 1);

  // Python reads every CSV row with its nine columns and the names as they
  // are, and every path of the JSON opens.
  const std::string check = R"(
import csv, json, os, sys
paths = [e["path"] for e in json.load(open(sys.argv[1], encoding="utf-8"))]
assert len(paths) == 5 and all(os.path.isfile(p) for p in paths), paths
rows = list(csv.reader(open(sys.argv[2], encoding="utf-8", errors="surrogateescape", newline="")))
assert len(rows) == 6 and all(len(r) == 9 for r in rows), rows
names = sorted(os.fsencode(r[0]) for r in rows[1:])
assert names == sorted(os.fsencode(os.path.basename(p)) for p in paths), names
)";
  const mkcard::ProgramResult python =
      mkcard::RunProgram({"python3", "-c", check, (out / "list.json").string(), list});
  EXPECT_EQ(python.failure, "") << python.errors;

  // The list is there now: it is replaced only when asked.
  const mkcard::ProgramResult again = Cli({"csv", folder.string(), out.string()});
  EXPECT_NE(again.failure, "");
  EXPECT_NE(again.errors.find("exists already"), std::string::npos) << again.errors;
  EXPECT_EQ(Cli({"csv", folder.string(), out.string(), "--force"}).failure, "");
  EXPECT_NE(Cli({"csv", folder.string(), ""}).failure, "");
}

}  // namespace
