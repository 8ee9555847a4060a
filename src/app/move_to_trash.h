#pragma once

#include <filesystem>

// Moves `file` to the desktop's trash of its file system (on a memory card,
// the card's own trash folder), as QFile::moveToTrash does, for every name
// the file system holds: a name that is not UTF-8, which Qt cannot spell,
// goes under a name it can, and the trash's record of where the file came
// from gets the real name back. A file whose folder cannot be written to (a
// read-only or write-protected card) is refused at once: the trash would
// not take it, and Qt's search for a free name in that trash would not end.
// False, the file where it was, when it cannot go.
bool MoveToTrash(const std::filesystem::path& file);
