#include "base/settings_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "scoped_work_folder.h"

namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void WriteFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(content);
}

TEST(SettingsFile, FirstRunWritesTheThreeDisplayKeysInOrder) {
  ScopedWorkFolder folder;
  EXPECT_EQ(SettingsFilePath(), folder.filePath(QStringLiteral("Default_Folder.ini")));
  ASSERT_TRUE(CreateSettingsOnFirstRun());
  EXPECT_EQ(ReadFile(SettingsFilePath()),
            "[DISPLAY]\r\nINFOCHECK=31\r\nASPECT=on\r\nVOLUME=65535\r\n");
  EXPECT_TRUE(ReadKeepAspect());
  EXPECT_EQ(ReadVolumeLevel(), 65535);
  EXPECT_FALSE(ReadHardwareDecode());

  // An existing file is left as it is, even without the display keys.
  WriteFile(SettingsFilePath(), "[SOURCE]\r\nSELECT=FOLDER\r\n");
  ASSERT_TRUE(CreateSettingsOnFirstRun());
  EXPECT_EQ(ReadFile(SettingsFilePath()), "[SOURCE]\r\nSELECT=FOLDER\r\n");
  EXPECT_FALSE(ReadKeepAspect());
  EXPECT_EQ(ReadVolumeLevel(), 65535);
}

TEST(SettingsFile, StaysInTheFolderCapturedAtStartUp) {
  ScopedWorkFolder first;
  ASSERT_TRUE(
      WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("SD")));
  {
    ScopedWorkFolder second;
    ASSERT_TRUE(CreateSettingsOnFirstRun());
    EXPECT_TRUE(QFile::exists(second.filePath(QStringLiteral("Default_Folder.ini"))));
    EXPECT_EQ(ReadIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT")), QString());
  }
  // Moving the current folder after the capture does not move the file.
  QTemporaryDir elsewhere;
  QDir::setCurrent(elsewhere.path());
  CaptureWorkDir();
  QDir::setCurrent(first.path());
  EXPECT_EQ(workDir(), elsewhere.path());
  ASSERT_TRUE(
      WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FILE")));
  EXPECT_TRUE(QFile::exists(elsewhere.filePath(QStringLiteral("Default_Folder.ini"))));
  EXPECT_EQ(ReadFile(first.filePath(QStringLiteral("Default_Folder.ini"))),
            "[SOURCE]\r\nSELECT=SD\r\n");
}

TEST(SettingsFile, ReadersApplyTheirDefaults) {
  ScopedWorkFolder folder;
  struct Case {
    const char* text;
    bool on;
  };
  const Case switches[] = {{"on", true},  {" on ", true}, {"\"on\"", true}, {"ON", false},
                           {"On", false}, {"off", false}, {"", false},      {"1", false}};
  for (const auto& c : switches) {
    WriteFile(SettingsFilePath(), QByteArray("[DISPLAY]\r\nASPECT=") + c.text +
                                      "\r\n[DECODE]\r\nHW=" + c.text + "\r\n");
    EXPECT_EQ(ReadKeepAspect(), c.on) << c.text;
    EXPECT_EQ(ReadHardwareDecode(), c.on) << c.text;
  }
  struct Volume {
    const char* text;
    int level;
  };
  const Volume volumes[] = {{"", 65535},   {"100", 100},     {" 42 ", 42},
                            {"12abc", 12}, {"abc", 0},       {"-5", 0},
                            {"0", 0},      {"70000", 65535}, {"99999999999999999999", 65535}};
  for (const auto& c : volumes) {
    WriteFile(SettingsFilePath(), QByteArray("[DISPLAY]\r\nVOLUME=") + c.text + "\r\n");
    EXPECT_EQ(ReadVolumeLevel(), c.level) << c.text;
  }
  struct Offset {
    const char* text;
    std::int64_t seconds;
  };
  const Offset offsets[] = {{"", 0},
                            {"18", 18},
                            {" -3600 ", -3600},
                            {"12abc", 0},
                            {"1.5", 0},
                            {"+60", 60},
                            {"99999999999999999999", 0},
                            {"9999999999999", 100LL * 366 * 24 * 3600}};
  for (const auto& c : offsets) {
    WriteFile(SettingsFilePath(), QByteArray("[DISPLAY]\r\nTIME_OFFSET=") + c.text + "\r\n");
    EXPECT_EQ(ReadTimeOffset(), c.seconds) << c.text;
  }
  const struct {
    const char* text;
    int megabytes;
  } caches[] = {{"", 300}, {" 64 ", 64}, {"8", 16}, {"100000", 4096}, {"1.5", 300}, {"many", 300}};
  for (const auto& c : caches) {
    WriteFile(SettingsFilePath(), QByteArray("[PLAYER]\r\nSTEP_CACHE_MB=") + c.text + "\r\n");
    EXPECT_EQ(ReadStepCacheMegabytes(), c.megabytes) << c.text;
  }
  QFile::remove(SettingsFilePath());
  EXPECT_EQ(ReadVolumeLevel(), 65535);
  EXPECT_FALSE(ReadKeepAspect());
  EXPECT_EQ(ReadTimeOffset(), 0);
}

TEST(SettingsFile, KeepsJapaneseAndRefusesLineBreaks) {
  ScopedWorkFolder folder;
  const QString path = QStringLiteral("/media/カード 1/DCIM");
  ASSERT_TRUE(WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), path));
  EXPECT_EQ(ReadIniString(QStringLiteral("source"), QStringLiteral("folder")), path);
  EXPECT_EQ(ReadFile(SettingsFilePath()),
            QStringLiteral("[SOURCE]\r\nFOLDER=%1\r\n").arg(path).toUtf8());

  EXPECT_FALSE(WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"),
                              QStringLiteral("/a\n[DISPLAY]\nVOLUME=0")));
  EXPECT_EQ(ReadIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER")), path);
}

}  // namespace
