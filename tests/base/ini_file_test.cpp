#include "base/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "base/atomic_file.h"

namespace fs = std::filesystem;

namespace {

struct LookupCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(IniFile, FindsValuesLikeTheProfileFunctions) {
  const LookupCase cases[] = {
      {"plain", "[DISPLAY]\r\nVOLUME=100\r\n", "DISPLAY", "VOLUME", "100"},
      {"case of section and key", "[display]\r\nVolume=100\r\n", "DISPLAY", "VOLUME", "100"},
      {"bare LF line ends", "[A]\nK=1\n", "A", "K", "1"},
      {"bare CR line ends", "[B]\rX=2\r[A]\rJ=0\rK=1\r", "A", "K", "1"},
      {"mixed line ends", "[A]\rJ=0\r\nK=1\n", "A", "K", "1"},
      {"no line end at the end", "[A]\r\nK=1", "A", "K", "1"},
      {"blanks around names and value", "  [ A ]  \r\n  K  =  x y  \r\n", "A", "K", "x y"},
      {"inner blanks and Japanese", "[SOURCE]\r\nFOLDER=/media/カード 1/DCIM\r\n", "SOURCE",
       "FOLDER", "/media/カード 1/DCIM"},
      {"double quotes removed once", "[A]\r\nK=\"\"v\"\"\r\n", "A", "K", "\"v\""},
      {"single quotes removed", "[A]\r\nK=' v '\r\n", "A", "K", " v "},
      {"unmatched quote kept", "[A]\r\nK=\"v\r\n", "A", "K", "\"v"},
      {"empty value", "[A]\r\nK=\r\n", "A", "K", ""},
      {"line without = is no key", "[A]\r\nK\r\n", "A", "K", std::nullopt},
      {"first duplicate key wins", "[A]\r\nK=1\r\nk=2\r\n", "A", "K", "1"},
      {"first duplicate section wins", "[A]\r\nX=1\r\n[A]\r\nK=2\r\n", "A", "K", std::nullopt},
      {"key of another section", "[A]\r\nK=1\r\n[B]\r\n", "B", "K", std::nullopt},
      {"key before any section", "K=1\r\n[A]\r\n", "A", "K", std::nullopt},
      {"value holds =", "[A]\r\nK=a=b\r\n", "A", "K", "a=b"},
      {"byte-order mark skipped", "\xEF\xBB\xBF[A]\r\nK=1\r\n", "A", "K", "1"},
      {"missing section", "[A]\r\nK=1\r\n", "B", "K", std::nullopt},
      {"empty text", "", "A", "K", std::nullopt},
      {"text after ]", "[A] ; note\r\nK=1\r\n", "A", "K", "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindIniValue(c.text, c.section, c.key), c.expected) << c.name;
  }
}

struct UpdateCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  const char* value;
  std::string expected;
};

TEST(IniFile, ChangesOnlyTheLineOfTheKey) {
  const UpdateCase cases[] = {
      {"new file", "", "DISPLAY", "INFOCHECK", "31", "[DISPLAY]\r\nINFOCHECK=31\r\n"},
      {"replaced where it stands, order and comments kept",
       "; settings\r\n[DISPLAY]\r\nINFOCHECK=31\r\n Volume = 5 \r\n; keep me\r\nASPECT=on\r\n",
       "display", "VOLUME", "65535",
       "; settings\r\n[DISPLAY]\r\nINFOCHECK=31\r\n Volume=65535\r\n; keep me\r\nASPECT=on\r\n"},
      {"new key at the end of its section, before the blank line",
       "[A]\r\nX=1\r\n\r\n[B]\r\nY=2\r\n", "A", "K", "v",
       "[A]\r\nX=1\r\nK=v\r\n\r\n[B]\r\nY=2\r\n"},
      {"new key in a section that ends the file without a line end", "[A]\r\nX=1", "A", "K", "v",
       "[A]\r\nX=1\r\nK=v\r\n"},
      {"new key in an empty section", "[A]\r\n[B]\r\n", "A", "K", "v", "[A]\r\nK=v\r\n[B]\r\n"},
      {"new section at the end", "[A]\r\nX=1\r\n", "B", "K", "v", "[A]\r\nX=1\r\n[B]\r\nK=v\r\n"},
      {"new section after a last line without line end", "[A]\r\nX=1", "B", "K", "v",
       "[A]\r\nX=1\r\n[B]\r\nK=v\r\n"},
      {"bare LF file keeps bare LF", "[A]\nX=1\n", "A", "K", "v", "[A]\nX=1\nK=v\n"},
      {"bare CR file keeps bare CR", "[A]\rX=1\r[B]\r", "A", "K", "v", "[A]\rX=1\rK=v\r[B]\r"},
      {"bare CR value replaced in place", "[A]\rK=1\rX=2\r", "A", "K", "3", "[A]\rK=3\rX=2\r"},
      {"new section after bare CR", "[A]\rX=1\r", "B", "K", "v", "[A]\rX=1\r[B]\rK=v\r"},
      {"only the first duplicate changes", "[A]\r\nK=1\r\nK=2\r\n", "A", "K", "3",
       "[A]\r\nK=3\r\nK=2\r\n"},
      {"Japanese value", "[SOURCE]\r\nSELECT=SD\r\n", "SOURCE", "FOLDER", "/mnt/動画 1",
       "[SOURCE]\r\nSELECT=SD\r\nFOLDER=/mnt/動画 1\r\n"},
      {"line without = is kept", "[A]\r\nnote\r\n", "A", "K", "v", "[A]\r\nnote\r\nK=v\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SetIniValue(c.text, c.section, c.key, c.value), c.expected) << c.name;
    EXPECT_EQ(FindIniValue(c.expected, c.section, c.key), std::string(c.value)) << c.name;
  }
}

TEST(IniFile, RefusesEntriesThatWouldBreakTheFile) {
  EXPECT_TRUE(IsValidIniEntry("SOURCE", "FOLDER", "/a b/c"));
  EXPECT_TRUE(IsValidIniEntry("SOURCE", "FOLDER", ""));
  EXPECT_FALSE(IsValidIniEntry("SOURCE", "FOLDER", "/a\n[DISPLAY]"));
  EXPECT_FALSE(IsValidIniEntry("SOURCE", "FOLDER", "/a\r"));
  EXPECT_FALSE(IsValidIniEntry("SOURCE", "FOLDER", std::string_view("a\0b", 3)));
  EXPECT_FALSE(IsValidIniEntry("SO]URCE", "FOLDER", "x"));
  EXPECT_FALSE(IsValidIniEntry("SOURCE", "FOL=DER", "x"));
  EXPECT_FALSE(IsValidIniEntry("SOURCE", "[X]", "x"));
  EXPECT_FALSE(IsValidIniEntry(" ", "FOLDER", "x"));
  EXPECT_FALSE(IsValidIniEntry("SOURCE", "", "x"));
}

class IniFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kestrel-ini-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    file_ = folder_ / "Default_Folder.ini";
  }
  void TearDown() override {
    chmod(folder_.c_str(), 0700);
    fs::remove_all(folder_);
  }

  static std::string Read(const fs::path& path) { return ReadWholeFile(path).value_or("<none>"); }
  static void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  int EntriesInFolder() const {
    return static_cast<int>(std::distance(fs::directory_iterator(folder_), {}));
  }

  fs::path folder_;
  fs::path file_;
};

TEST_F(IniFileOnDisk, CreatesTheFileAndKeepsItsPermissions) {
  ASSERT_TRUE(WriteIniValue(file_, "DISPLAY", "INFOCHECK", "31"));
  EXPECT_EQ(Read(file_), "[DISPLAY]\r\nINFOCHECK=31\r\n");
  EXPECT_EQ(ReadIniValue(file_, "display", "infocheck"), "31");
  EXPECT_EQ(ReadIniValue(folder_ / "missing.ini", "DISPLAY", "INFOCHECK"), std::nullopt);

  chmod(file_.c_str(), 0640);
  ASSERT_TRUE(WriteIniValue(file_, "DISPLAY", "VOLUME", "65535"));
  EXPECT_EQ(fs::status(file_).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(EntriesInFolder(), 1) << "no temporary file is left behind";
}

TEST_F(IniFileOnDisk, InvalidEntryLeavesTheFileAlone) {
  Write(file_, "[SOURCE]\r\nFOLDER=/a\r\n");
  EXPECT_FALSE(WriteIniValue(file_, "SOURCE", "FOLDER", "/b\n[DISPLAY]\nVOLUME=0"));
  EXPECT_EQ(Read(file_), "[SOURCE]\r\nFOLDER=/a\r\n");
}

// Runs `body` in a child process and returns its exit status.
template <typename Body>
int InChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(IniFileOnDisk, ReadOnlyFolderFailsAndKeepsTheOldFile) {
  const std::string old = "; mine\r\n[DISPLAY]\r\nVOLUME=10\r\n";
  Write(file_, old);
  ASSERT_EQ(chmod(folder_.c_str(), 0555), 0);
  // Root may write anywhere, so the writer drops to an unprivileged user.
  const int result = InChild([&] {
    if (geteuid() == 0 && setuid(65534) != 0) return 2;
    return WriteIniValue(file_, "DISPLAY", "VOLUME", "20") ? 1 : 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Read(file_), old);
  EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(IniFileOnDisk, FullDiskFailsAndKeepsTheOldFile) {
  const std::string old = "[DISPLAY]\r\nVOLUME=10\r\n";
  Write(file_, old);
  // A file size limit makes the write fail the way a full disk does.
  const int result = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    return WriteIniValue(file_, "SOURCE", "FOLDER", std::string(10000, 'x')) ? 1 : 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Read(file_), old);
  EXPECT_EQ(EntriesInFolder(), 1) << "the partial temporary file is removed";
}

TEST_F(IniFileOnDisk, KilledWriterLeavesTheOldOrTheNewFile) {
  // Values large enough that a write takes a while, so kills land inside one.
  const std::string a(200000, 'a');
  const std::string b(300000, 'b');
  const std::string fileA = "[SOURCE]\r\nFOLDER=" + a + "\r\n";
  const std::string fileB = "[SOURCE]\r\nFOLDER=" + b + "\r\n";
  Write(file_, fileA);
  for (int round = 0; round < 20; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int i = 0;; ++i) WriteIniValue(file_, "SOURCE", "FOLDER", i % 2 ? a : b);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + 7 * round % 23));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::string now = Read(file_);
    ASSERT_TRUE(now == fileA || now == fileB)
        << "round " << round << ": " << now.size() << " bytes";
  }
}

TEST_F(IniFileOnDisk, ConcurrentWritersLoseNoKey) {
  constexpr int kKeys = 40;
  const auto writer = [&](char name) {
    return [=, this] {
      for (int i = 0; i < kKeys; ++i) {
        if (!WriteIniValue(file_, "S", std::string(1, name) + std::to_string(i), "v")) return 1;
      }
      return 0;
    };
  };
  const pid_t first = fork();
  if (first == 0) _exit(writer('a')());
  EXPECT_EQ(InChild(writer('b')), 0);
  int status = 0;
  waitpid(first, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string text = Read(file_);
  for (int i = 0; i < kKeys; ++i) {
    EXPECT_EQ(FindIniValue(text, "S", "a" + std::to_string(i)), "v") << i;
    EXPECT_EQ(FindIniValue(text, "S", "b" + std::to_string(i)), "v") << i;
  }
}

// Not a settings file: each is refused at once, when read and when written,
// and left as it is.
TEST_F(IniFileOnDisk, RefusesWhatIsNotARegularFileOfSettings) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
  };
  const Case cases[] = {
      {"a FIFO", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }},
      {"a link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
      {"a folder", [](const fs::path& p) { fs::create_directory(p); }},
      {"a file of 2 MiB",
       [](const fs::path& p) {
         Write(p, "[DISPLAY]\r\nVOLUME=10\r\n");
         fs::resize_file(p, 2 << 20);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(file_);
    c.make(file_);
    const fs::file_status before = fs::symlink_status(file_);
    // A hang or an endless read ends the child, and the case fails.
    const int result = InChild([&] {
      alarm(2);
      const bool read = ReadIniValue(file_, "DISPLAY", "VOLUME").has_value();
      const bool written = WriteIniValue(file_, "DISPLAY", "VOLUME", "20");
      return (read ? 1 : 0) | (written ? 2 : 0);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(fs::symlink_status(file_).type(), before.type());
    EXPECT_EQ(EntriesInFolder(), 1);
  }
}

struct stat StatOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

// A settings file that is a link stays one, and an unchanged value is not
// written at all: hard links stay shared, a read-only file stays as it is.
TEST_F(IniFileOnDisk, WritesThroughLinksAndOnlyWhatChanged) {
  const std::string text = "; mine\r\n[DISPLAY]\r\nVOLUME=10\r\n";
  const fs::path target = folder_ / "kept" / "settings.ini";
  const fs::path twin = folder_ / "twin.ini";
  struct Case {
    const char* what;
    std::function<void()> make;
    const char* value;
  };
  const Case cases[] = {
      {"a plain file, same value", [&] { Write(file_, text); }, "10"},
      {"a read-only file, same value",
       [&] {
         Write(file_, text);
         chmod(file_.c_str(), 0444);
       },
       "10"},
      {"a hard link, same value",
       [&] {
         Write(file_, text);
         fs::create_hard_link(file_, twin);
       },
       "10"},
      {"a link, same value",
       [&] {
         Write(target, text);
         fs::create_symlink("kept/settings.ini", file_);
       },
       "10"},
      {"a link, new value",
       [&] {
         Write(target, text);
         fs::create_symlink("kept/settings.ini", file_);
       },
       "20"},
      {"a link to a link, new value",
       [&] {
         Write(target, text);
         fs::create_symlink("kept/settings.ini", folder_ / "middle.ini");
         fs::create_symlink(folder_ / "middle.ini", file_);
       },
       "20"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "kept");
    c.make();
    const fs::path real = fs::canonical(file_);
    // Times in the past, so that any write shows.
    const timeval past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimes(real.c_str(), past), 0);
    const struct stat link = StatOf(file_);
    const struct stat before = StatOf(real);
    const bool changed = std::string(c.value) != "10";

    EXPECT_TRUE(WriteIniValue(file_, "DISPLAY", "VOLUME", c.value));
    EXPECT_EQ(ReadIniValue(file_, "DISPLAY", "VOLUME"), c.value);
    EXPECT_EQ(StatOf(file_).st_mode, link.st_mode) << "a link stays a link";
    EXPECT_EQ(fs::canonical(file_), real);
    const struct stat after = StatOf(real);
    EXPECT_EQ(after.st_ino == before.st_ino && after.st_mtime == before.st_mtime, !changed);
    if (!changed) {
      EXPECT_EQ(after.st_nlink, before.st_nlink) << "hard links stay shared";
      EXPECT_EQ(after.st_mode, before.st_mode);
    }
    for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
      EXPECT_FALSE(entry.path().filename().string().ends_with(".tmp")) << entry.path();
    }
  }
}

}  // namespace
