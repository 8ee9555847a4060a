// Started by root without the web engine's sandbox switched off, the viewer
// runs without the map: the web engine would end the process, so it is never
// started.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "viewer_process.h"

namespace {

// How many processes whose parent is `parent` have a name starting with
// `name` (the kernel keeps 15 characters of it).
int ChildrenNamed(qint64 parent, const QByteArray& name) {
  int count = 0;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    // pid (comm) state ppid ...
    const QByteArray line = stat.readAll();
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    if (open < 0 || close < open) continue;
    const QList<QByteArray> rest = line.mid(close + 2).split(' ');
    if (rest.size() > 1 && rest[1].toLongLong() == parent &&
        line.mid(open + 1, close - open - 1).startsWith(name)) {
      ++count;
    }
  }
  return count;
}

}  // namespace

TEST(MapSandbox, RootWithoutTheSandboxSwitchedOffRunsWithoutTheMap) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  for (const bool sandboxOff : {true, false}) {
    QTemporaryDir work;
    ViewerProcess viewer(QStringLiteral(KESTREL_VIEWER_PATH), {}, work.path(),
                         QStringLiteral("offscreen"), sandboxOff);
    // The window starts and stays (without the map, the notice waits for
    // the user).
    ASSERT_TRUE(viewer.WaitStarted(20000, 3000)) << "sandbox off " << sandboxOff;
    // The web engine's helpers run with the map only.
    EXPECT_EQ(ChildrenNamed(viewer.pid(), "QtWebEngineProc") > 0, sandboxOff);
  }
}
