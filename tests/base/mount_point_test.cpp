#include "base/mount_point.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "scratch_mount.h"

namespace {

// A mount table: the root, a card, a second card whose name has a blank, a
// card whose name begins like the first one's, a mount inside the first
// card, and a later mount over the first card's point.
const QByteArray kTable =
    "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
    "30 22 8:17 / /media/user/CARD rw,nosuid - vfat /dev/sdb1 rw\n"
    "31 22 8:33 / /media/user/CARD\\0402 rw,nosuid - vfat /dev/sdc1 rw\n"
    "32 22 8:49 / /media/user/CARDS rw,nosuid - vfat /dev/sdd1 rw\n"
    "33 30 0:41 / /media/user/CARD/inner rw - tmpfs tmpfs rw\n"
    "34 30 8:65 / /media/user/CARD rw,nosuid - exfat /dev/sde1 rw\n"
    "short line\n";

TEST(MountPoint, LongestMountPointAboveThePath) {
  const struct {
    const char* path;
    const char* mountPoint;
  } cases[] = {
      {"/", "/"},
      {"/home/user/videos", "/"},
      {"/media/user/CARD", "/media/user/CARD"},
      {"/media/user/CARD/DCIM/100MEDIA", "/media/user/CARD"},
      {"/media/user/CARDS/DCIM", "/media/user/CARDS"},
      {"/media/user/CARDX", "/"},
      {"/media/user/CARD 2/DCIM", "/media/user/CARD 2"},
      {"/media/user/CARD/inner/x.MOV", "/media/user/CARD/inner"},
      {"/media/user/CARD/innerX", "/media/user/CARD"},
      {"relative/DCIM", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MountPointIn(kTable, QString::fromUtf8(c.path)), QString::fromUtf8(c.mountPoint))
        << c.path;
  }
  EXPECT_EQ(MountPointIn("", QStringLiteral("/media/user/CARD")), QString());
  EXPECT_EQ(UnescapeMountPoint("/a\\011b\\134c\\012"), QStringLiteral("/a\tb\\c\n"));
}

TEST(MountPoint, ProgramEndsOnlyWithTheMediumItRunsFrom) {
  const struct {
    const char* program;
    const char* source;
    bool ends;
  } cases[] = {
      {"/media/user/CARD", "/media/user/CARD", true},
      {"/media/user/CARD", "/media/user/CARDS", false},
      {"/usr", "/media/user/CARD", false},
      // The system's root is no medium that goes away: a folder removed
      // from it does not end a program installed on it.
      {"/", "/", false},
      {"", "", false},
      {"/media/user/CARD", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunsFromLostMedium(QString::fromUtf8(c.program), QString::fromUtf8(c.source)), c.ends)
        << c.program << " " << c.source;
  }
}

TEST(MountPoint, ReadFromTheRealMountTable) {
  EXPECT_EQ(MountPointOf(QStringLiteral("/no/such/path")), QString());
  EXPECT_EQ(MountPointOf(QStringLiteral("/"), QStringLiteral("/no/such/table")), QString());
  const QString here = MountPointOf(QDir::currentPath());
  ASSERT_FALSE(here.isEmpty());
  EXPECT_TRUE(QDir::currentPath().startsWith(here));

  ScratchMount medium(1 << 20);
  if (!medium.ok()) GTEST_SKIP() << medium.error();
  const QString root = QString::fromStdString(medium.path().string());
  ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("DCIM/100MEDIA")));
  EXPECT_EQ(MountPointOf(root + QStringLiteral("/DCIM/100MEDIA")), root);
  // A link to the medium is followed to it.
  const QString link = root + QStringLiteral("-link");
  ASSERT_TRUE(QFile::link(root + QStringLiteral("/DCIM"), link));
  EXPECT_EQ(MountPointOf(link), root);
  QFile::remove(link);
}

}  // namespace
