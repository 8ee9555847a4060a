#include "browser/source_rules.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "browser/recorder_version.h"

namespace {

TEST(SourceRules, TrailingSeparatorsRemoved) {
  EXPECT_EQ(WithoutTrailingSeparator(QStringLiteral("/media/card/")),
            QStringLiteral("/media/card"));
  EXPECT_EQ(WithoutTrailingSeparator(QStringLiteral("/media/card//")),
            QStringLiteral("/media/card"));
  EXPECT_EQ(WithoutTrailingSeparator(QStringLiteral("/media/card")), QStringLiteral("/media/card"));
  EXPECT_EQ(WithoutTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
  EXPECT_EQ(WithoutTrailingSeparator(QString()), QString());
}

class RestoreSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    root_ = QDir(dir_.path());
    ASSERT_TRUE(root_.mkpath(QStringLiteral("cardA/DCIM")));
    ASSERT_TRUE(root_.mkpath(QStringLiteral("cardB")));
    ASSERT_TRUE(root_.mkpath(QStringLiteral("videos")));
    QFile file(Path("one.MOV"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QString Path(const char* name) const { return root_.filePath(QString::fromUtf8(name)); }

  QTemporaryDir dir_;
  QDir root_;
};

TEST_F(RestoreSourceTest, LaterDriveFolderThenFile) {
  const QString folder = Path("videos") + QStringLiteral("/");
  const QString file = Path("one.MOV");
  const QString missing = Path("gone");

  struct Case {
    QStringList drives;
    QString folder, file;
    SourceKind kind;
    QString path;
  };
  const Case cases[] = {
      {{Path("cardA"), Path("cardB") + "/"}, folder, file, SourceKind::kCard, Path("cardB")},
      {{Path("cardA"), missing}, folder, file, SourceKind::kCard, Path("cardA")},
      {{missing}, folder, file, SourceKind::kFolder, Path("videos")},
      {{}, missing, file, SourceKind::kFile, file},
      {{}, file, missing, SourceKind::kNone, QString()},  // a file saved as the folder
      {{}, QString(), QString(), SourceKind::kNone, QString()},
  };
  for (const Case& c : cases) {
    const BrowserSource source = RestoreSource(c.drives, c.folder, c.file);
    EXPECT_EQ(source.kind, c.kind) << c.drives.join(',').toStdString();
    EXPECT_EQ(source.path, c.path);
  }
}

TEST_F(RestoreSourceTest, CardBrowsedFromDcimWhenItHasOne) {
  EXPECT_EQ(CardBrowseRoot(Path("cardA") + "/"), Path("cardA/DCIM"));
  EXPECT_EQ(CardBrowseRoot(Path("cardB")), Path("cardB"));
}

TEST(RecorderVersion, ThreeDecimalPairs) {
  struct Case {
    const char* version;
    bool decoded;
    const char* text;
  };
  const Case cases[] = {
      {"010203", true, "1.2.3"}, {"123456", true, "12.34.56"}, {"000000", true, "0.0.0"},
      {"1x0203", true, "1.2.3"}, {"x10203", true, "0.2.3"},    {"99 9\0\0", true, "99.9.0"},
      {" 1 2 3", true, "1.2.3"}, {"010203", false, ""},
  };
  for (const Case& c : cases) {
    TrackHeader header;
    std::copy_n(c.version, 6, header.version.begin());
    header.decoded = c.decoded;
    EXPECT_EQ(RecorderVersionText(header), QString::fromLatin1(c.text)) << c.version;
  }
}

TEST(RecorderVersion, UnreadableFileGivesNoText) {
  EXPECT_EQ(ReadRecorderVersion("/nonexistent/0612083000_A.MOV"), QString());
}

}  // namespace
