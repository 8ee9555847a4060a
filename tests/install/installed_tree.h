#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "mkcard/program_runner.h"
#include "temp_dir.h"

// Every file an installation under the prefix /usr holds, relative to the
// root it was installed into.
inline const std::vector<std::string> kInstalledFiles = {
    "usr/bin/kestrel",
    "usr/bin/kestrel-cli",
    "usr/libexec/kestrel/kestrel",
    "usr/share/applications/org.kestrel_viewer.Kestrel.desktop",
    "usr/share/doc/kestrel/changelog.gz",
    "usr/share/doc/kestrel/copyright",
    "usr/share/icons/hicolor/scalable/apps/org.kestrel_viewer.Kestrel.svg",
    "usr/share/man/man1/kestrel-cli.1.gz",
    "usr/share/man/man1/kestrel.1.gz",
    "usr/share/metainfo/org.kestrel_viewer.Kestrel.metainfo.xml",
};

// The build installed with `cmake --install` under the prefix /usr into a
// fresh temporary root (DESTDIR), removed with the object.
class InstalledTree {
 public:
  InstalledTree() {
    const mkcard::ProgramResult run =
        mkcard::RunProgram({"env", "DESTDIR=" + root_.path().string(), KESTREL_CMAKE_COMMAND,
                            "--install", KESTREL_BUILD_DIR, "--prefix", "/usr"});
    EXPECT_EQ(run.failure, "") << run.errors;
  }
  const std::filesystem::path& root() const { return root_.path(); }
  std::string Path(const std::string& relative) const { return (root() / relative).string(); }

 private:
  TempDir root_;
};
