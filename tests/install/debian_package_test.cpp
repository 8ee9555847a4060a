// The Debian package: built by cpack from this build, with the installed
// files, the computed and the run-time dependencies, no lintian errors, and
// installable with apt against what the system has.
#include <gtest/gtest.h>

#include <sstream>

#include "installed_tree.h"

namespace {

namespace fs = std::filesystem;

TEST(DebianPackage, HoldsTheInstallationWithItsDependencies_AndLintianFindsNoError) {
  const TempDir out;
  const mkcard::ProgramResult built =
      mkcard::RunProgram({KESTREL_CPACK_COMMAND, "-G", "DEB", "--config",
                          KESTREL_BUILD_DIR "/CPackConfig.cmake", "-B", out.path().string()});
  ASSERT_EQ(built.failure, "") << built.output;
  const std::string package = (out.path() / "kestrel_2.0.0.0_amd64.deb").string();
  ASSERT_TRUE(fs::exists(package)) << built.output;

  const mkcard::ProgramResult info = mkcard::RunProgram({"dpkg-deb", "--info", package});
  ASSERT_EQ(info.failure, "");
  for (const std::string field :
       {" Package: kestrel\n", " Version: 2.0.0.0\n", " Section: video\n",
        " Maintainer: Kestrel developers <kestrel@kestrel-viewer.org>\n"}) {
    EXPECT_NE(info.output.find(field), std::string::npos) << field << info.output;
  }
  const std::size_t depends = info.output.find(" Depends: ");
  ASSERT_NE(depends, std::string::npos);
  const std::string dependencies =
      info.output.substr(depends, info.output.find('\n', depends) - depends) + ",";
  // Linked libraries, found by dpkg-shlibdeps, and what is loaded at run time.
  for (const std::string name :
       {"libqt6widgets6 (", "libgstreamer1.0-0 (", "libstdc++6 (", "gstreamer1.0-plugins-base,",
        "gstreamer1.0-plugins-good,", "gstreamer1.0-plugins-bad,", "gstreamer1.0-libav,",
        "libqt6webenginecore6-bin,", "fonts-noto-cjk,"}) {
    EXPECT_NE(dependencies.find(" " + name), std::string::npos) << name << dependencies;
  }

  const mkcard::ProgramResult contents = mkcard::RunProgram({"dpkg-deb", "--contents", package});
  ASSERT_EQ(contents.failure, "");
  for (const std::string& file : kInstalledFiles) {
    EXPECT_NE(contents.output.find(" ./" + file + "\n"), std::string::npos) << file;
  }
  std::istringstream entries(contents.output);
  for (std::string line; std::getline(entries, line);) {
    EXPECT_NE(line.find(" root/root "), std::string::npos) << "owned by root: " << line;
  }

  // Errors fail the package; the rest is shown.
  const mkcard::ProgramResult lint = mkcard::RunProgram({"lintian", "--fail-on", "error", package});
  EXPECT_EQ(lint.failure, "") << lint.output;
  std::istringstream lines(lint.output);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_NE(line.rfind("E: ", 0), 0u) << line;
    if (!line.empty()) std::printf("lintian: %s\n", line.c_str());
  }

  const mkcard::ProgramResult apt =
      mkcard::RunProgram({"apt-get", "install", "--simulate", "--no-install-recommends", package});
  EXPECT_EQ(apt.failure, "") << apt.output;
  EXPECT_NE(apt.output.find("Inst kestrel (2.0.0.0"), std::string::npos) << apt.output;
}

}  // namespace
