#pragma once

#include <QString>
#include <filesystem>

// A file's path as a QString that keeps every byte of its name. Linux names
// are bytes: most are UTF-8, but a card may hold names that are not, and Qt
// turns each such byte into U+FFFD, so that two different names can read
// alike. Here well-formed UTF-8 is decoded as usual and every other byte
// becomes the lone surrogate U+DC00 + its value (Python's "surrogateescape",
// which kestrel-cli's JSON uses too); PathOf gives back the same bytes.
// Such a text must not go to Qt's own file calls (QFile, QFileInfo,
// QUrl::fromLocalFile), which would lose those bytes: they take PathOf's
// result through the standard library or the C library.
QString PathText(const std::filesystem::path& path);

// The path whose bytes PathText wrote as `text`.
std::filesystem::path PathOf(const QString& text);
