#include "base/removable_drives.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A fake sysfs tree with one block device per entry and a mount table.
class FakeSystem {
 public:
  FakeSystem() : root_(folder_.path()) {}

  // Adds disk `disk` (with its partition `partition` when not empty) reached
  // as device `majorMinor`.
  void AddDisk(const QString& majorMinor, const QString& disk, const QString& partition,
               const char* removable, const char* type = nullptr) {
    const QString diskDir = root_ + QStringLiteral("/sys/devices/bus/block/") + disk;
    QDir().mkpath(diskDir + QStringLiteral("/device"));
    Write(diskDir + QStringLiteral("/removable"), removable);
    if (type) Write(diskDir + QStringLiteral("/device/type"), type);
    QString target = diskDir;
    if (!partition.isEmpty()) {
      target = diskDir + u'/' + partition;
      QDir().mkpath(target);
      Write(target + QStringLiteral("/partition"), "1");
    }
    QDir().mkpath(root_ + QStringLiteral("/sys/dev/block"));
    QFile::link(target, root_ + QStringLiteral("/sys/dev/block/") + majorMinor);
  }

  void Mount(const char* majorMinor, const char* root, const char* mountPoint) {
    mountInfo_ += QStringLiteral("%1 1 %2 %3 %4 rw,nosuid - vfat /dev/x rw\n")
                      .arg(++mountId_)
                      .arg(QString::fromLatin1(majorMinor), QString::fromLatin1(root),
                           QString::fromUtf8(mountPoint))
                      .toUtf8();
  }

  int Enumerate(QStringList& list) {
    Write(root_ + QStringLiteral("/mountinfo"), mountInfo_);
    return EnumRemovableDrives(list, root_ + QStringLiteral("/mountinfo"),
                               root_ + QStringLiteral("/sys"));
  }

 private:
  static void Write(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content + "\n");
  }

  QTemporaryDir folder_;
  QString root_;
  QByteArray mountInfo_;
  int mountId_ = 20;
};

TEST(EnumRemovableDrives, ListsRemovableMountPointsInMountOrder) {
  FakeSystem system;
  system.AddDisk(QStringLiteral("8:1"), QStringLiteral("sda"), QStringLiteral("sda1"), "0");
  system.AddDisk(QStringLiteral("8:17"), QStringLiteral("sdb"), QStringLiteral("sdb1"), "1");
  system.AddDisk(QStringLiteral("179:1"), QStringLiteral("mmcblk0"), QStringLiteral("mmcblk0p1"),
                 "0", "SD");
  system.AddDisk(QStringLiteral("179:9"), QStringLiteral("mmcblk1"), QString(), "0", "MMC");
  system.AddDisk(QStringLiteral("2:0"), QStringLiteral("fd0"), QString(), "1");
  system.Mount("8:1", "/", "/");
  system.Mount("179:1", "/", "/media/user/SD\\040CARD");
  system.Mount("2:0", "/", "/media/floppy");
  system.Mount("179:9", "/", "/data");
  system.Mount("8:17", "/DCIM", "/srv/bound");  // a bind mount of a sub-folder
  system.Mount("8:17", "/", "/media/user/カード");
  system.Mount("8:17", "/", "/mnt/again");  // the same medium mounted twice
  system.Mount("0:42", "/", "/proc");       // no block device

  QStringList list;
  EXPECT_EQ(system.Enumerate(list), 1);
  EXPECT_EQ(list, QStringList({QStringLiteral("/media/user/SD CARD"),
                               QStringLiteral("/media/user/カード")}));

  // Entries are appended; the result is the index of the last one.
  QStringList prefilled = {QStringLiteral("first")};
  EXPECT_EQ(system.Enumerate(prefilled), 2);
}

TEST(EnumRemovableDrives, NoRemovableDeviceGivesMinusOne) {
  FakeSystem fixedOnly;
  fixedOnly.AddDisk(QStringLiteral("8:1"), QStringLiteral("sda"), QStringLiteral("sda1"), "0");
  fixedOnly.Mount("8:1", "/", "/");
  QStringList list;
  EXPECT_EQ(fixedOnly.Enumerate(list), -1);
  EXPECT_TRUE(list.isEmpty());

  FakeSystem floppyOnly;
  floppyOnly.AddDisk(QStringLiteral("2:0"), QStringLiteral("fd0"), QString(), "1");
  floppyOnly.Mount("2:0", "/", "/media/floppy");
  EXPECT_EQ(floppyOnly.Enumerate(list), -1);
  EXPECT_TRUE(list.isEmpty());

  EXPECT_EQ(EnumRemovableDrives(list, QStringLiteral("/nonexistent/mountinfo")), -1);
  EXPECT_TRUE(list.isEmpty());
}

}  // namespace
