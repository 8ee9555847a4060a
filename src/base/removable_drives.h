#pragma once

#include <QString>
#include <QStringList>

// Appends to `list`, in mount order, the mount point of every mounted
// removable medium (USB sticks and card readers, SD cards): devices whose
// disk is marked removable in sysfs or is an SD card. Floppy disks count as
// met but are not listed. Returns the index of the last entry of `list` when
// a removable device was met, else -1.
//
// The mount table and the sysfs tree are read from `mountInfoPath` and
// `sysPath`.
int EnumRemovableDrives(QStringList& list,
                        const QString& mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                        const QString& sysPath = QStringLiteral("/sys"));
