#include "base/removable_drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/mount_point.h"

namespace {

QByteArray FirstLine(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readLine().trimmed();
}

enum class DeviceKind { kFixed, kRemovable, kFloppy };

// Classifies the block device `majorMinor` ("8:17") by its sysfs entries.
DeviceKind ClassifyDevice(const QString& sysPath, const QString& majorMinor) {
  const QString device =
      QFileInfo(sysPath + QStringLiteral("/dev/block/") + majorMinor).canonicalFilePath();
  if (device.isEmpty()) return DeviceKind::kFixed;
  // A partition's disk is the folder above it.
  const QString disk = QFileInfo::exists(device + QStringLiteral("/partition"))
                           ? QFileInfo(device).absolutePath()
                           : device;
  if (QFileInfo(disk).fileName().startsWith(QStringLiteral("fd"))) return DeviceKind::kFloppy;
  if (FirstLine(disk + QStringLiteral("/removable")) == "1" ||
      FirstLine(disk + QStringLiteral("/device/type")) == "SD") {
    return DeviceKind::kRemovable;
  }
  return DeviceKind::kFixed;
}

}  // namespace

int EnumRemovableDrives(QStringList& list, const QString& mountInfoPath, const QString& sysPath) {
  QFile mountInfo(mountInfoPath);
  if (!mountInfo.open(QIODevice::ReadOnly)) return -1;
  bool met = false;
  QStringList devicesListed;
  // Each line: id, parent id, major:minor, root, mount point, options, ...
  for (const QByteArray& line : mountInfo.readAll().split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() < 5 || fields[3] != "/") continue;  // bind mounts of sub-folders
    const QString majorMinor = QString::fromLatin1(fields[2]);
    const DeviceKind kind = ClassifyDevice(sysPath, majorMinor);
    if (kind == DeviceKind::kFixed) continue;
    met = true;
    if (kind == DeviceKind::kFloppy || devicesListed.contains(majorMinor)) continue;
    devicesListed.append(majorMinor);
    list.append(UnescapeMountPoint(fields[4]));
  }
  return met ? static_cast<int>(list.size()) - 1 : -1;
}
