#pragma once

#include <memory>
#include <string_view>
#include <vector>

// The set of atom names the reader accepts, kept as a four-level character
// table: level 1 holds first characters, each entry owns the level of second
// characters that follow it, and so on to the fourth. A level holds at most
// 64 entries.
class KnownAtomTable {
 public:
  static constexpr std::size_t kLevelCapacity = 64;

  // Returns the table filled with the known names of AtomNameList. Built on
  // first use and read-only afterwards, so any thread may share it.
  static const KnownAtomTable& Shared();

  // Adds a four-character name. Adding stops (the name stays unknown) when a
  // level it needs already holds kLevelCapacity entries.
  void Insert(std::string_view name);

  // True when the four characters can be followed through the four levels.
  // Case and blanks count.
  bool Contains(std::string_view name) const;

 private:
  struct Entry;
  using Level = std::vector<Entry>;
  struct Entry {
    char character;
    std::unique_ptr<Level> next;  // the level below; null on the fourth level
  };

  static bool Follow(const Level& level, std::string_view rest);

  Level first_;
};
