#pragma once

#include <filesystem>

// Moves `file` to the desktop's trash of its file system (on a memory card,
// the card's own trash folder), as QFile::moveToTrash does, for every name
// the file system holds: a file whose path is not UTF-8, which Qt cannot
// spell, first goes (on the same file system) under a plain name in the
// nearest folder Qt can spell, and the trash's record of where the file
// came from then gets the real path back. A file whose folder cannot be written to (a
// read-only or write-protected card) is refused at once: the trash would
// not take it, and Qt's search for a free name in that trash would not end.
// False, the file where it was, when it cannot go.
bool MoveToTrash(const std::filesystem::path& file);
