// The installed tree: its files, its programs run from it, and the menu
// entry, metadata, icon and manual pages pass the desktop's own checks.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <fstream>
#include <set>
#include <sstream>

#include "installed_tree.h"

namespace {

std::set<std::string> FilesUnder(const std::filesystem::path& root) {
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_directory()) files.insert(entry.path().lexically_relative(root).string());
  }
  return files;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The command names of kestrel-cli's help: the first word of each line
// indented by two spaces.
std::vector<std::string> HelpCommands(const std::string& help) {
  std::vector<std::string> commands;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] != ' ') {
      commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
  }
  return commands;
}

TEST(InstalledTree, HoldsThePrograms_AndTheDesktopFilesPassTheirChecks) {
  const InstalledTree tree;
  EXPECT_EQ(FilesUnder(tree.root()),
            std::set<std::string>(kInstalledFiles.begin(), kInstalledFiles.end()));

  // The programs run from the tree; the launcher keeps its folder in a home
  // of the test's own.
  const TempDir home;
  const std::string homeEnv = "HOME=" + home.path().string();
  EXPECT_EQ(mkcard::RunProgram(
                {"env", homeEnv, "XDG_CONFIG_HOME=", tree.Path("usr/bin/kestrel"), "--version"})
                .output,
            "kestrel 2.0.0.0\n");
  const mkcard::ProgramResult help =
      mkcard::RunProgram({tree.Path("usr/bin/kestrel-cli"), "--help"});
  EXPECT_EQ(help.failure, "");
  const std::vector<std::string> commands = HelpCommands(help.output);
  EXPECT_EQ(commands,
            (std::vector<std::string>{"info", "list", "csv", "join", "gpx", "events", "repair", "clip"}));

  // Each manual page renders without a warning; kestrel-cli's describes
  // every command of its help.
  for (const std::string page : {"kestrel", "kestrel-cli"}) {
    const mkcard::ProgramResult man =
        mkcard::RunProgram({"env", "MANWIDTH=80", "man", "--warnings", "-l",
                            tree.Path("usr/share/man/man1/" + page + ".1.gz")});
    EXPECT_EQ(man.failure, "") << page;
    EXPECT_EQ(man.errors, "") << page;
    EXPECT_NE(man.output.find("NAME\n       " + page + " "), std::string::npos) << man.output;
    if (page != "kestrel-cli") continue;
    for (const std::string& command : commands) {
      EXPECT_NE(man.output.find("\n       " + command + " "), std::string::npos) << command;
    }
  }

  const std::string desktop =
      tree.Path("usr/share/applications/org.kestrel_viewer.Kestrel.desktop");
  const mkcard::ProgramResult entry = mkcard::RunProgram({"desktop-file-validate", desktop});
  EXPECT_EQ(entry.failure, "");
  EXPECT_EQ(entry.output + entry.errors, "") << "no hint either";
  const std::string entryText = ReadText(desktop);
  for (const std::string line : {"Exec=kestrel %f\n", "Icon=org.kestrel_viewer.Kestrel\n",
                                 "Categories=AudioVideo;Video;Player;\n",
                                 "MimeType=video/quicktime;\n", "Name[ja]=", "Comment[ja]="}) {
    EXPECT_NE(entryText.find(line), std::string::npos) << line;
  }

  const mkcard::ProgramResult metainfo =
      mkcard::RunProgram({"appstreamcli", "validate", "--no-net",
                          tree.Path("usr/share/metainfo/org.kestrel_viewer.Kestrel.metainfo.xml")});
  EXPECT_EQ(metainfo.failure, "") << metainfo.output;
  const std::string metainfoText =
      ReadText(tree.Path("usr/share/metainfo/org.kestrel_viewer.Kestrel.metainfo.xml"));
  EXPECT_NE(metainfoText.find("<release version=\"2.0.0.0\""), std::string::npos);

  // The icon is well-formed XML that draws a picture.
  const std::string icon =
      tree.Path("usr/share/icons/hicolor/scalable/apps/org.kestrel_viewer.Kestrel.svg");
  EXPECT_EQ(mkcard::RunProgram({"xmllint", "--noout", icon}).failure, "");
  QSvgRenderer renderer(QString::fromStdString(icon));
  ASSERT_TRUE(renderer.isValid());
  QImage picture(64, 64, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  renderer.render(&painter);
  painter.end();
  int opaque = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) opaque += qAlpha(picture.pixel(x, y)) == 255;
  }
  EXPECT_GT(opaque, 64 * 64 * 3 / 4) << "the rounded square fills most of the icon";
  picture.save(QStringLiteral(KESTREL_TEST_OUTPUT_DIR "/icon.png"));
}

}  // namespace
