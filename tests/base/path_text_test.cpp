#include "base/path_text.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/move_to_trash.h"
#include "catalogue/folder_listing.h"

namespace {

namespace fs = std::filesystem;

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<none>";
}

// Two recordings whose names differ only where one holds bytes that are not
// UTF-8 and the other U+FFFD, which Qt reads those bytes as.
TEST(PathText, TwinNamesStayApartFromTheListingToTheTrash) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const fs::path root = QFile::encodeName(dir.path()).toStdString();
  const fs::path card = root / "card";
  fs::create_directories(card);
  const fs::path raw = card /
                       "0612\xff\xfe"
                       "3005_M.MOV";
  const fs::path twin = card /
                        "0612\xef\xbf\xbd\xef\xbf\xbd"
                        "3005_M.MOV";
  std::ofstream(raw, std::ios::binary) << "the first";
  std::ofstream(twin, std::ios::binary) << "the second";

  const std::vector<ListedName> listed = ListFolder(card);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_NE(PathText(listed[0].path), PathText(listed[1].path));
  for (const ListedName& name : listed) {
    const fs::path back = PathOf(PathText(name.path));
    EXPECT_EQ(back.native(), name.path.native());
    EXPECT_EQ(Content(back), name.path == raw ? "the first" : "the second");
  }
  // Names of every kind come back byte for byte, supplementary characters
  // (surrogate pairs in the text) included.
  for (const std::string name : {"plain.MOV", "カード 1", "\xf0\x9f\x9a\x97 car", "\xed\xa0\x80",
                                 "a\x80\xc3", "\xf4\x90\x80\x80"}) {
    EXPECT_EQ(PathOf(PathText(name)).native(), name) << name;
  }

  // The trash of the folder's file system takes the first and only it; its
  // record keeps the name's bytes.
  fs::create_directory(root / "data");
  const QByteArray oldData = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
  const bool trashed = MoveToTrash(raw);
  qputenv("XDG_DATA_HOME", oldData);
  ASSERT_TRUE(trashed);
  EXPECT_FALSE(fs::exists(raw));
  EXPECT_EQ(Content(twin), "the second");
  const fs::path trash = root / "data" / "Trash";
  std::vector<fs::path> files(fs::directory_iterator(trash / "files"), {});
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(Content(files[0]), "the first");
  const std::string record =
      Content(trash / "info" / (files[0].filename().native() + ".trashinfo"));
  EXPECT_NE(
      record.find("Path=" + QFile::encodeName(dir.path()).toPercentEncoding("/").toStdString() +
                  "/card/0612%FF%FE3005_M.MOV\n"),
      std::string::npos)
      << record;
  EXPECT_EQ(std::distance(fs::directory_iterator(card), {}), 1) << "nothing left beside the twin";
}

}  // namespace
