#pragma once

#include <QString>
#include <QStringList>

// The kinds of source the browser shows, with the numbers the panel keeps.
enum class SourceKind { kNone = 0, kCard = 1, kFolder = 2, kFile = 3 };

struct BrowserSource {
  SourceKind kind = SourceKind::kNone;
  QString path;
};

// Returns `path` without trailing separators; the root "/" stays.
QString WithoutTrailingSeparator(const QString& path);

// The source to restore at start-up: the last candidate drive that exists
// (a memory card), else the saved folder when it exists, else the saved file
// when it exists, else none.
BrowserSource RestoreSource(const QStringList& drives, const QString& savedFolder,
                            const QString& savedFile);

// The folder a memory card is browsed from: its "DCIM" folder when it has
// one, else the card itself.
QString CardBrowseRoot(const QString& drive);
