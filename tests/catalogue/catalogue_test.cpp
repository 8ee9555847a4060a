#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <map>

#include "catalogue/movie_names.h"
#include "catalogue/name_order.h"
#include "catalogue/recording_check.h"
#include "generated_card.h"
#include "recorder_file_stub.h"

namespace {

FileEntry Named(std::string name) {
  FileEntry entry;
  entry.name = std::move(name);
  return entry;
}

std::vector<std::string> Names(const std::vector<FileEntry>& entries) {
  std::vector<std::string> names;
  for (const FileEntry& e : entries) names.push_back(e.name);
  return names;
}

// Records what a scan inserts into the folder tree.
class RecordingTree : public FolderTree {
 public:
  int ItemCount() const override { return static_cast<int>(items.size()); }
  Item InsertItem(Item parent, const std::filesystem::path& folder) override {
    items.push_back({parent, folder.filename().string(), -1});
    return reinterpret_cast<Item>(items.size());
  }
  void SetItemData(Item item, int mask) override {
    items[reinterpret_cast<std::size_t>(item) - 1].mask = mask;
  }
  struct Inserted {
    Item parent;
    std::string name;
    int mask;
  };
  std::vector<Inserted> items;
};

TEST(MovieNames, ExtensionAndTriggerMark) {
  const std::map<std::string, bool> movieNames = {
      {"clip.mov", true},       {"CLIP.MoV", true},   {"/card/DCIM/100MEDIA/x.MOV", true},
      {"clip.mov2", false},     {"clip.mp4", false},  {"clip", false},
      {"folder.mov/clip", false}, {"clip.mo", false},
  };
  for (const auto& [name, expected] : movieNames) EXPECT_EQ(IsMovieName(name), expected) << name;

  EXPECT_EQ(TriggerLetter("1208153005_P.MO"), 'P');  // fifteen characters still carry it
  EXPECT_EQ(TriggerLetter("1208153005_S.MOV"), 'S');
  EXPECT_EQ(TriggerLetter("1208153005_X.MOV"), 0);
  EXPECT_EQ(TriggerLetter("12081530051_A.MOV"), 0);
  EXPECT_EQ(TriggerLetter("1208153005_"), 0);
  EXPECT_EQ(TriggerBit('A') | TriggerBit('G'), 0x05);
}

TEST(Order, NumberedNamesFirstThenUtf16Order) {
  std::vector<FileEntry> entries;
  for (const char* name : {"100_A.MOV", "020_B.MOV", "ABC.MOV", "1234.MOV", "AB.MOV", "12_3.MOV"})
    entries.push_back(Named(name));
  Order(entries);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"020_B.MOV", "100_A.MOV", "1234.MOV",
                                                       "12_3.MOV", "AB.MOV", "ABC.MOV"}));

  // U+1F600 is a surrogate pair in UTF-16 and sorts before U+FF21, though its
  // UTF-8 bytes sort after.
  EXPECT_TRUE(Utf16Less("\xF0\x9F\x98\x80", "\xEF\xBC\xA1"));
  EXPECT_FALSE(Utf16Less("\xEF\xBC\xA1", "\xF0\x9F\x98\x80"));
  EXPECT_TRUE(Utf16Less("abc", "abcd"));
  EXPECT_FALSE(Utf16Less("abc", "abc"));
  EXPECT_TRUE(Utf16Less("ABC", "abc"));  // letter case counts
}

TEST(RemoveByName, DropsMatchingNamesKeepingOrder) {
  std::vector<FileEntry> entries = {Named("a.MOV"), Named("b.MOV"), Named("c.MOV")};
  RemoveByName(entries, {Named("b.MOV"), Named("A.MOV")});
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"a.MOV", "c.MOV"}));
}

TEST(Catalogue, ScanListsOnlyRecorderMoviesInOrder) {
  TempDir card;
  const auto dcim = card.path() / "DCIM";
  WriteRecorderStub(dcim / "1208153010_A.MOV");
  WriteRecorderStub(dcim / "1208153000_G.MOV");
  WriteRecorderStub(dcim / "001_153020_G.MOV");
  WriteRecorderStub(dcim / "BROKEN.MOV", /*valid=*/false);
  WriteRecorderStub(dcim / "NOTES.TXT");
  std::ofstream(dcim / "EMPTY.MOV").close();
  WriteRecorderStub(dcim / "100MEDIA" / "1208160000_A.MOV");
  WriteRecorderStub(dcim / "100MEDIA" / "1208160100_G.MOV");
  WriteRecorderStub(dcim / "100MEDIA" / "1208160200_G.MOV");
  WriteRecorderStub(dcim / "101MEDIA" / "DEEP" / "1208170000_P.MOV");
  std::filesystem::create_directories(dcim / "102EMPTY");

  Catalogue catalogue;
  RecordingTree tree;
  std::vector<FileEntry> entries, folderLines;
  int counter = 0;
  ASSERT_TRUE(catalogue.ScanFolderForTree(dcim, tree, nullptr, entries, folderLines, true, true,
                                          counter));
  EXPECT_EQ(counter, 3);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"001_153020_G.MOV", "1208153000_G.MOV",
                                                       "1208153010_A.MOV"}));
  EXPECT_EQ(entries[1].triggerInitial, 'G');
  EXPECT_EQ(entries[1].fileSize, 38u);
  // Serial numbers run on; scan indexes follow the listing (name order).
  EXPECT_EQ(entries[0].scanIndex, 0);
  EXPECT_EQ(entries[1].scanIndex, 1);
  ASSERT_EQ(tree.items.size(), 1u);  // 101MEDIA holds recordings only deeper down
  EXPECT_EQ(tree.items[0].name, "100MEDIA");
  EXPECT_EQ(tree.items[0].mask, 0x05);
  ASSERT_EQ(folderLines.size(), 1u);
  EXPECT_EQ(folderLines[0].serial, -1);
  EXPECT_EQ(folderLines[0].scanIndex, -1);

  // Serial numbers are never reset; scan indexes are.
  std::vector<FileEntry> again, lines;
  int againCounter = 0;
  RecordingTree tree2;
  catalogue.ScanFolderForTree(dcim, tree2, nullptr, again, lines, false, true, againCounter);
  EXPECT_EQ(again[0].scanIndex, 0);
  EXPECT_GT(again[0].serial, entries[2].serial);
  EXPECT_EQ(tree2.items.size(), 3u);  // without recursion every subfolder is an item

  EXPECT_EQ(TriggerMask(dcim / "100MEDIA"), 0x05);
  EXPECT_EQ(TriggerMask(dcim / "102EMPTY"), 0);
  EXPECT_EQ(TriggerMask(card.path() / "missing"), 0);
}

TEST(Catalogue, FolderListsAtMostAThousandInNameOrder) {
  TempDir folder;
  for (int i = 1199; i >= 0; --i) {
    char name[32];
    std::snprintf(name, sizeof name, "12081%05d_A.MOV", i);
    WriteRecorderStub(folder.path() / name);
  }
  Catalogue catalogue;
  RecordingTree tree;
  std::vector<FileEntry> entries, folderLines;
  int counter = 0;
  catalogue.ScanFolderForTree(folder.path(), tree, nullptr, entries, folderLines, true, true,
                              counter);
  EXPECT_EQ(counter, 1200);
  ASSERT_EQ(entries.size(), Catalogue::kMaxEntries);
  EXPECT_EQ(entries.front().name, "1208100000_A.MOV");
  EXPECT_EQ(entries.back().name, "1208100999_A.MOV");
}

TEST(Catalogue, CollectAllTakesSubfoldersFirstEachOrdered) {
  TempDir card;
  const auto dcim = card.path() / "DCIM";
  WriteRecorderStub(dcim / "B.MOV");
  WriteRecorderStub(dcim / "A.MOV");
  WriteRecorderStub(dcim / "100MEDIA" / "Z.MOV");
  WriteRecorderStub(dcim / "100MEDIA" / "007_Y.MOV");
  WriteRecorderStub(dcim / "101MEDIA" / "X.MOV");
  WriteRecorderStub(dcim / "101MEDIA" / "NOTES.TXT");
  WriteRecorderStub(dcim / "1" / "2" / "3" / "4" / "TOO_DEEP.MOV");
  WriteRecorderStub(dcim / "1" / "2" / "DEEP.MOV");

  Catalogue catalogue;
  std::vector<FileEntry> entries;
  int counter = 0;
  catalogue.CollectAll(dcim, entries, counter);
  EXPECT_EQ(counter, 2);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"DEEP.MOV", "007_Y.MOV", "Z.MOV", "X.MOV",
                                                       "A.MOV", "B.MOV"}));
}

TEST(Catalogue, TriggeredScanKeepsNameOrderAndNeedsAMark) {
  TempDir folder;
  WriteRecorderStub(folder.path() / "1208153010_G.MOV");
  WriteRecorderStub(folder.path() / "001_153000_M.MOV");
  WriteRecorderStub(folder.path() / "PLAIN.MOV");
  Catalogue catalogue;
  std::vector<FileEntry> entries;
  catalogue.ScanFolderTriggered(folder.path(), entries);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"001_153000_M.MOV", "1208153010_G.MOV"}));
}

TEST(RecordingCheck, NeedsFtypAndClosingMarker) {
  TempDir folder;
  WriteRecorderStub(folder.path() / "ok.MOV");
  WriteRecorderStub(folder.path() / "bad.MOV", false);
  std::ofstream(folder.path() / "short.MOV") << "CSMEND";
  EXPECT_TRUE(IsRecording(folder.path() / "ok.MOV"));
  EXPECT_FALSE(IsRecording(folder.path() / "bad.MOV"));
  EXPECT_FALSE(IsRecording(folder.path() / "short.MOV"));
  EXPECT_FALSE(IsRecording(folder.path() / "missing.MOV"));
  EXPECT_FALSE(IsRecording(folder.path()));
}

}  // namespace

namespace {

// A card's extras: a recording, one cut short inside its media, one
// without the closing marker, a plain movie and a text file. Only the one
// cut short is listed as repairable, and only when asked.
TEST(Catalogue, ListsTheRecordingCutShortAsRepairableWhenAsked) {
  TempDir card;
  const std::vector<std::filesystem::path> movies = GenerateRecordings(
      card.path(), {"--folders", "1", "--files", "1", "--seconds", "1", "--size", "160x120",
                    "--extras"});
  ASSERT_EQ(movies.size(), 4u);  // recording, cut short, no marker, plain, in name order
  const std::filesystem::path folder = movies[0].parent_path();
  const std::string recording = movies[0].filename().string();
  const std::string cutShort = movies[1].filename().string();
  struct Case {
    bool listCutShort;
    std::vector<std::string> names;
  };
  for (const Case& c : {Case{false, {recording}}, Case{true, {recording, cutShort}}}) {
    SCOPED_TRACE(c.listCutShort ? "listing the cut short" : "recordings only");
    Catalogue catalogue;
    catalogue.ListCutShort(c.listCutShort);
    std::vector<FileEntry> collected;
    int files = 0;
    catalogue.CollectAll(folder, collected, files);
    std::vector<FileEntry> scanned, lines;
    RecordingTree tree;
    int recordings = 0;
    ASSERT_TRUE(catalogue.ScanFolderForTree(folder, tree, nullptr, scanned, lines, true, true,
                                            recordings));
    EXPECT_EQ(recordings, 1);
    for (const std::vector<FileEntry>* entries : {&collected, &scanned}) {
      EXPECT_EQ(Names(*entries), c.names);
      for (const FileEntry& entry : *entries) EXPECT_EQ(entry.repairable, entry.name == cutShort);
    }
  }
}

}  // namespace
