// The installed launcher starts the viewer in its settings folder; the
// viewer started directly keeps its settings in its working folder.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <fstream>

#include "installed_tree.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> SettingsFilesUnder(const fs::path& root) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.path().filename() == "Default_Folder.ini") found.push_back(entry.path());
  }
  return found;
}

struct LauncherCase {
  const char* name;
  const char* program;         // in the installed tree
  const char* xdgConfigHome;   // under the case's folder; nullptr: unset
  const char* settingsFolder;  // where the settings file must land
};

TEST(Launcher, PutsTheSettingsFileInTheSettingsFolderAndNowhereElse) {
  const LauncherCase cases[] = {
      {"launcher, XDG_CONFIG_HOME set", "usr/bin/kestrel", "config", "config/kestrel"},
      {"launcher, XDG_CONFIG_HOME unset", "usr/bin/kestrel", nullptr, "home/.config/kestrel"},
      {"viewer started directly", "usr/libexec/kestrel/kestrel", "config", "start"},
  };
  const InstalledTree tree;
  for (const LauncherCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir dir;
    const fs::path top = fs::canonical(dir.path());
    fs::create_directories(top / "home");
    fs::create_directories(top / "start" / "recordings");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QString::fromStdString((top / "home").string()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    if (c.xdgConfigHome != nullptr) {
      environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                         QString::fromStdString((top / c.xdgConfigHome).string()));
    }
    QProcess viewer;
    viewer.setProcessEnvironment(environment);
    viewer.setWorkingDirectory(QString::fromStdString((top / "start").string()));
    viewer.setProcessChannelMode(QProcess::ForwardedChannels);
    // A relative path: the folder it names in the start folder.
    viewer.start(QString::fromStdString(tree.Path(c.program)), {QStringLiteral("recordings")});
    ASSERT_TRUE(viewer.waitForStarted());

    // The window saves the source once it is up.
    const fs::path settings = top / c.settingsFolder / "Default_Folder.ini";
    QElapsedTimer waited;
    waited.start();
    while (ReadText(settings).find("FOLDER=") == std::string::npos &&
           viewer.state() == QProcess::Running && waited.elapsed() < 60000) {
      QThread::msleep(50);
    }
    EXPECT_EQ(viewer.state(), QProcess::Running) << "the viewer is still up";
    viewer.terminate();
    viewer.waitForFinished();

    EXPECT_NE(ReadText(settings).find("[SOURCE]\r\nSELECT=FOLDER\r\nFOLDER=" +
                                      (top / "start" / "recordings").string() + "\r\n"),
              std::string::npos)
        << ReadText(settings);
    EXPECT_EQ(SettingsFilesUnder(top), std::vector<fs::path>{settings});
  }
}

}  // namespace
