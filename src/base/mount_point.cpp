#include "base/mount_point.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

QString UnescapeMountPoint(const QByteArray& field) {
  QByteArray out;
  for (qsizetype i = 0; i < field.size(); ++i) {
    bool octal = false;
    const int code =
        (field[i] == '\\' && i + 3 < field.size()) ? field.mid(i + 1, 3).toInt(&octal, 8) : 0;
    if (octal) {
      out.append(static_cast<char>(code));
      i += 3;
    } else {
      out.append(field[i]);
    }
  }
  return QFile::decodeName(out);
}

namespace {

// Whether `mountPoint` is `path` or a folder above it.
bool Holds(const QString& mountPoint, const QString& path) {
  if (mountPoint == QLatin1String("/")) return true;
  return path == mountPoint ||
         (path.startsWith(mountPoint) && path.at(mountPoint.size()) == QLatin1Char('/'));
}

}  // namespace

QString MountPointIn(const QByteArray& mountInfo, const QString& path) {
  if (!path.startsWith(QLatin1Char('/'))) return {};
  QString best;
  // Each line: id, parent id, major:minor, root, mount point, options, ...
  // A later mount over the same point hides the earlier one; either way the
  // point is the same.
  for (const QByteArray& line : mountInfo.split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() < 5) continue;
    const QString mountPoint = UnescapeMountPoint(fields[4]);
    if (!mountPoint.startsWith(QLatin1Char('/')) || !Holds(mountPoint, path)) continue;
    if (mountPoint.size() > best.size()) best = mountPoint;
  }
  return best;
}

QString MountPointOf(const QString& path, const QString& mountInfoPath) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  if (canonical.isEmpty()) return {};
  QFile mountInfo(mountInfoPath);
  if (!mountInfo.open(QIODevice::ReadOnly)) return {};
  return MountPointIn(mountInfo.readAll(), canonical);
}

bool RunsFromLostMedium(const QString& programMount, const QString& sourceMount) {
  return !programMount.isEmpty() && programMount == sourceMount &&
         programMount != QLatin1String("/");
}
