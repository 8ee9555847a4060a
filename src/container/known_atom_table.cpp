#include "container/known_atom_table.h"

#include "container/atom_name_list.h"

const KnownAtomTable& KnownAtomTable::Shared() {
  static const KnownAtomTable table = [] {
    KnownAtomTable built;
    for (std::size_t i = kAtomPathNameCount; i < AtomNameList.size(); ++i) {
      built.Insert(AtomNameList[i]);
    }
    return built;
  }();
  return table;
}

void KnownAtomTable::Insert(std::string_view name) {
  if (name.size() != 4) return;
  Level* level = &first_;
  for (std::size_t depth = 0; depth < 4; ++depth) {
    Entry* found = nullptr;
    for (Entry& entry : *level) {
      if (entry.character == name[depth]) {
        found = &entry;
        break;
      }
    }
    if (found == nullptr) {
      if (level->size() >= kLevelCapacity) return;
      level->push_back(Entry{name[depth], nullptr});
      found = &level->back();
    }
    if (depth == 3) return;
    if (!found->next) found->next = std::make_unique<Level>();
    level = found->next.get();
  }
}

bool KnownAtomTable::Contains(std::string_view name) const {
  return name.size() == 4 && Follow(first_, name);
}

bool KnownAtomTable::Follow(const Level& level, std::string_view rest) {
  for (const Entry& entry : level) {
    if (entry.character != rest.front()) continue;
    if (rest.size() == 1) return true;
    if (entry.next && Follow(*entry.next, rest.substr(1))) return true;
  }
  return false;
}
