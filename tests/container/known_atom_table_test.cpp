#include "container/known_atom_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "container/atom_name_list.h"

namespace {

TEST(AtomNameListTest, PathNamesThenKnownNames) {
  ASSERT_EQ(AtomNameList.size(), 174u);
  const std::vector<std::string_view> path(AtomNameList.begin(), AtomNameList.begin() + 6);
  EXPECT_EQ(path, (std::vector<std::string_view>{"moov", "trak", "mdia", "minf", "stbl", "stts"}));
  EXPECT_EQ(AtomNameList[6], "ainf");
  EXPECT_EQ(AtomNameList[173], "ICAT");
  EXPECT_EQ(std::count(AtomNameList.begin(), AtomNameList.end(), "xml "), 2);
  for (std::string_view name : AtomNameList) EXPECT_EQ(name.size(), 4u) << name;
}

TEST(KnownAtomTableTest, Lookups) {
  const KnownAtomTable& known = KnownAtomTable::Shared();
  for (std::size_t i = kAtomPathNameCount; i < AtomNameList.size(); ++i) {
    EXPECT_TRUE(known.Contains(AtomNameList[i])) << AtomNameList[i];
  }
  struct Case {
    std::string_view name;
    bool known;
  };
  const std::vector<Case> cases = {
      {"jP  ", true},
      {"res ", true},
      {"url ", true},
      {"xml ", true},
      {"ID32", true},
      {"UITS", true},
      {"udat", true},
      {"udta", true},
      {"ICAT", true},
      {"moov", true},
      {"url", false},
      {"urlx", false},
      {std::string_view("xml\0", 4), false},
      {std::string_view("jP\0\0", 4), false},
      {"MOOV", false},
      {"id32", false},
      {"uits", false},
      {"wide", false},
      {"mdaX", false},
      {"stsq", false},
      {"    ", false},
      {"", false},
      {"moovx", false},
      {"jp  ", false},
      {"icat", false},
  };
  for (const Case& c : cases) EXPECT_EQ(known.Contains(c.name), c.known) << "'" << c.name << "'";
}

TEST(KnownAtomTableTest, LevelHoldsAtMost64Entries) {
  KnownAtomTable first;
  for (int i = 0; i < 65; ++i) first.Insert(std::string(1, static_cast<char>('!' + i)) + "abc");
  EXPECT_TRUE(first.Contains("!abc"));
  EXPECT_TRUE(first.Contains(std::string(1, static_cast<char>('!' + 63)) + "abc"));
  EXPECT_FALSE(first.Contains(std::string(1, static_cast<char>('!' + 64)) + "abc"));

  // The same on a lower level: 65 different last characters under "abc".
  KnownAtomTable last;
  for (int i = 0; i < 65; ++i) last.Insert(std::string("abc") + static_cast<char>('!' + i));
  EXPECT_TRUE(last.Contains(std::string("abc") + static_cast<char>('!' + 63)));
  EXPECT_FALSE(last.Contains(std::string("abc") + static_cast<char>('!' + 64)));
  // Inserting a name twice changes nothing.
  last.Insert("abc!");
  EXPECT_TRUE(last.Contains("abc!"));
}

}  // namespace
