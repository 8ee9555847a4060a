#include "browser/saved_source.h"

#include "base/settings_file.h"

bool SaveSource(const BrowserSource& source) {
  const QString key = source.kind == SourceKind::kCard     ? QStringLiteral("SD")
                      : source.kind == SourceKind::kFolder ? QStringLiteral("FOLDER")
                      : source.kind == SourceKind::kFile   ? QStringLiteral("FILE")
                                                           : QString();
  if (key.isEmpty()) return false;
  const QString section = QStringLiteral("SOURCE");
  return WriteIniString(section, QStringLiteral("SELECT"), key) &&
         WriteIniString(section, key, source.path);
}
