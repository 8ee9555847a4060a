#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "browser/entry_filter.h"
#include "browser/entry_sort.h"

namespace {

FileEntry Entry(const std::string& name, int serial = 0) {
  FileEntry e;
  e.name = name;
  e.path = "/card/DCIM/100MEDIA/" + name;
  e.serial = serial;
  e.triggerInitial = name.size() > 11 && name[10] == '_' ? name[11] : 0;
  return e;
}

std::vector<std::string> Names(const std::vector<FileEntry>& entries) {
  std::vector<std::string> names;
  for (const FileEntry& e : entries) names.push_back(e.name);
  return names;
}

TEST(TypeFilter, IndexOfEachLetter) {
  EXPECT_EQ(TypeIndex('A'), 0);
  EXPECT_EQ(TypeIndex('G'), 1);
  EXPECT_EQ(TypeIndex('M'), 2);
  EXPECT_EQ(TypeIndex('P'), 3);
  EXPECT_EQ(TypeIndex('S'), 4);
  EXPECT_EQ(TypeIndex('X'), -1);
  EXPECT_EQ(TypeIndex(0), -1);
}

TEST(TypeFilter, SwitchesHideTypedEntriesOnly) {
  const std::vector<FileEntry> entries = {Entry("0612083000_A.MOV"), Entry("0612083010_G.MOV"),
                                          Entry("CLIP.MOV"),         Entry("0612083020_G.MOV"),
                                          Entry("0612083030_X.MOV"), Entry("0612083040_S.MOV")};
  struct Case {
    TypeSwitches shown;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {{true, true, true, true, true}, Names(entries)},
      {{true, false, true, true, true},
       {"0612083000_A.MOV", "CLIP.MOV", "0612083030_X.MOV", "0612083040_S.MOV"}},
      {{false, false, false, false, false}, {"CLIP.MOV", "0612083030_X.MOV"}},
      {{false, true, false, false, true},
       {"0612083010_G.MOV", "CLIP.MOV", "0612083020_G.MOV", "0612083030_X.MOV",
        "0612083040_S.MOV"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Names(FilterByType(entries, c.shown)), c.rows);
  EXPECT_TRUE(FilterByType({}, {}).empty());
}

TEST(EntrySort, EachKeyAscending) {
  std::vector<FileEntry> entries = {Entry("0612083000_S.MOV", 7), Entry("0612083010_A.MOV", 2),
                                    Entry("0612083020_M.MOV", 5), Entry("0612083030_G.MOV", 0)};
  entries[0].quality = 3, entries[1].quality = 1, entries[2].quality = 6, entries[3].quality = 2;
  entries[0].frameRate = 29.97f, entries[1].frameRate = 0, entries[2].frameRate = 15,
  entries[3].frameRate = 30;
  entries[0].fileSize = 5'000'000'000, entries[1].fileSize = 10, entries[2].fileSize = 4096,
  entries[3].fileSize = 1;

  struct Case {
    int key;
    std::vector<int> serials;  // the expected order, by serial
  };
  const Case cases[] = {
      {0, {0, 2, 5, 7}},  // serial
      {1, {2, 0, 5, 7}},  // A, G, M, S
      {2, {2, 0, 7, 5}},  // quality 1, 2, 3, 6
      {3, {2, 5, 7, 0}},  // 0, 15, 29.97, 30 frames a second
      {7, {0, 2, 5, 7}},  // 1, 10, 4096 bytes, 5 GB
  };
  for (const Case& c : cases) {
    std::vector<FileEntry> sorted = entries;
    ASSERT_TRUE(SortEntries(sorted, c.key)) << c.key;
    std::vector<int> serials;
    for (const FileEntry& e : sorted) serials.push_back(e.serial);
    EXPECT_EQ(serials, c.serials) << "key " << c.key;
  }
}

TEST(EntrySort, FolderLinesAndRecordingsMixedByTheSerialKey) {
  // Folder lines carry -1 in the serial and in the field after it; the sort
  // stays a strict order over a long mixed list.
  std::vector<FileEntry> entries;
  for (int i = 0; i < 200; ++i) {
    FileEntry e = Entry("F" + std::to_string(i), (i * 37) % 200 - (i % 3 == 0 ? 300 : 0));
    e.reserved = i % 3 == 0 ? -1 : 0;
    entries.push_back(e);
  }
  ASSERT_TRUE(SortEntries(entries, 0));
  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                             [](const auto& a, const auto& b) { return a.serial < b.serial; }));
}

TEST(EntrySort, StartTimeKeys) {
  // Serial 0 not opened yet; 1 and 2 in the same second, 1 later by 500 ms;
  // 3 a day earlier.
  std::vector<FileEntry> entries = {Entry("A.MOV", 1), Entry("B.MOV", 0), Entry("C.MOV", 3),
                                    Entry("D.MOV", 2)};
  entries[0].startTime = {2026, 6, 5, 12, 8, 30, 0, 500};
  entries[2].startTime = {2026, 6, 4, 11, 8, 30, 0, 0};
  entries[3].startTime = {2026, 6, 5, 12, 8, 30, 0, 0};
  const auto serials = [](const std::vector<FileEntry>& sorted) {
    std::vector<int> out;
    for (const FileEntry& e : sorted) out.push_back(e.serial);
    return out;
  };
  std::vector<FileEntry> byFileTime = entries;
  ASSERT_TRUE(SortEntries(byFileTime, 4));
  EXPECT_EQ(serials(byFileTime), (std::vector<int>{0, 3, 2, 1}));
  // Whole seconds: 1 and 2 compare equal, in either order.
  std::vector<FileEntry> byCalendar = entries;
  ASSERT_TRUE(SortEntries(byCalendar, 5));
  std::vector<int> order = serials(byCalendar);
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order[0], 0);
  EXPECT_EQ(order[1], 3);
  EXPECT_EQ(std::set<int>(order.begin() + 2, order.end()), (std::set<int>{1, 2}));
  EXPECT_EQ(byCalendar[1].name, "C.MOV") << "entries move whole";
}

TEST(EntrySort, KeysWithoutDataAreRefusedAndChangeNothing) {
  const std::vector<FileEntry> entries = {Entry("B.MOV", 1), Entry("A.MOV", 0)};
  for (int key : {-1, 6, 8}) {
    std::vector<FileEntry> copy = entries;
    EXPECT_FALSE(SortEntries(copy, key)) << key;
    EXPECT_EQ(Names(copy), Names(entries)) << key;
  }
  std::vector<FileEntry> none;
  EXPECT_TRUE(SortEntries(none, 0));
  EXPECT_TRUE(none.empty());
}

}  // namespace
