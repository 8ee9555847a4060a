#include "catalogue/folder_cleanup.h"

#include <gtest/gtest.h>

#include "recorder_file_stub.h"

namespace {

namespace fs = std::filesystem;

TEST(FolderCleanup, RemovesEmptyBranchesAndKeepsEveryFile) {
  TempDir card;
  const fs::path dcim = card.path() / "DCIM";
  fs::create_directories(dcim / "100MEDIA" / "EMPTY" / "EMPTIER");
  WriteRecorderStub(dcim / "101MEDIA" / "1208153000_A.MOV");
  // A folder with no file of its own whose recordings lie deeper down.
  WriteRecorderStub(dcim / "102MEDIA" / "SUB" / "1208160000_G.MOV");
  WriteRecorderStub(dcim / "103MEDIA" / "A" / "B" / "C" / "1208170000_G.MOV");
  std::ofstream(dcim / "104MEDIA.txt") << "x";

  ASSERT_TRUE(RemoveEmptyFolders(dcim, /*recurse=*/false));
  EXPECT_TRUE(fs::exists(dcim / "100MEDIA" / "EMPTY" / "EMPTIER"));

  ASSERT_TRUE(RemoveEmptyFolders(dcim, /*recurse=*/true));
  EXPECT_FALSE(fs::exists(dcim / "100MEDIA"));
  EXPECT_TRUE(fs::exists(dcim / "101MEDIA" / "1208153000_A.MOV"));
  EXPECT_TRUE(fs::exists(dcim / "102MEDIA" / "SUB" / "1208160000_G.MOV"));
  EXPECT_TRUE(fs::exists(dcim / "103MEDIA" / "A" / "B" / "C" / "1208170000_G.MOV"));
  EXPECT_TRUE(fs::exists(dcim / "104MEDIA.txt"));
}

TEST(FolderCleanup, DeleteTreeRemovesEverythingOrReportsFailure) {
  TempDir card;
  const fs::path folder = card.path() / "100MEDIA";
  WriteRecorderStub(folder / "A.MOV");
  WriteRecorderStub(folder / "SUB" / "B.MOV");
  EXPECT_TRUE(DeleteTree(folder));
  EXPECT_FALSE(fs::exists(folder));

  if (geteuid() == 0) GTEST_SKIP() << "root may delete from a read-only folder";
  const fs::path locked = card.path() / "LOCKED";
  WriteRecorderStub(locked / "SUB" / "C.MOV");
  fs::permissions(locked / "SUB", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(DeleteTree(locked));
  EXPECT_TRUE(fs::exists(locked / "SUB" / "C.MOV"));
  fs::permissions(locked / "SUB", fs::perms::owner_all);
}

}  // namespace
