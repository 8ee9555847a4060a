#include "browser/source_rules.h"

#include <QDir>
#include <QFileInfo>

QString WithoutTrailingSeparator(const QString& path) {
  QString trimmed = QDir::fromNativeSeparators(path);
  while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/'))) trimmed.chop(1);
  return trimmed;
}

BrowserSource RestoreSource(const QStringList& drives, const QString& savedFolder,
                            const QString& savedFile) {
  for (auto drive = drives.crbegin(); drive != drives.crend(); ++drive) {
    if (!drive->isEmpty() && QFileInfo(*drive).isDir()) {
      return {SourceKind::kCard, WithoutTrailingSeparator(*drive)};
    }
  }
  if (!savedFolder.isEmpty() && QFileInfo(savedFolder).isDir()) {
    return {SourceKind::kFolder, WithoutTrailingSeparator(savedFolder)};
  }
  if (!savedFile.isEmpty() && QFileInfo(savedFile).isFile()) {
    return {SourceKind::kFile, savedFile};
  }
  return {};
}

QString CardBrowseRoot(const QString& drive) {
  const QString card = WithoutTrailingSeparator(drive);
  const QString dcim = QDir(card).filePath(QStringLiteral("DCIM"));
  return QFileInfo(dcim).isDir() ? dcim : card;
}
