#include "container/file_view.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "atom_builder.h"
#include "temp_dir.h"

namespace {

// Bytes that differ from one offset to the next over a long stretch.
atoms::Bytes Pattern(std::size_t size) {
  atoms::Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 9));
  return bytes;
}

TEST(FileViewTest, WindowsHoldTheFilesBytesWhereverTheBlockEnds) {
  TempDir dir;
  constexpr std::uint64_t kBlock = FileView::kBlockSize;
  const atoms::Bytes content = Pattern(3 * kBlock + 100);
  FileView view;
  ASSERT_TRUE(view.Open(atoms::WriteIn(dir.path(), "a.MOV", content)));
  ASSERT_EQ(view.Size(), content.size());
  struct Ask {
    std::uint64_t offset, length;
  };
  // Forward, across block ends, a window bigger than the block, back again,
  // and windows cut at the end of the file.
  const std::vector<Ask> asks = {{0, 8},
                                 {8, 8},
                                 {kBlock - 4, 8},
                                 {kBlock + 4, 42},
                                 {kBlock + 4, 8},
                                 {100, 2 * kBlock},
                                 {120, 8},
                                 {2 * kBlock, kBlock},
                                 {16, 8},
                                 {3 * kBlock + 96, 8},
                                 {content.size() - 1, 1000}};
  for (const Ask& ask : asks) {
    std::span<const std::uint8_t> window;
    ASSERT_TRUE(view.Map(ask.offset, ask.length, &window)) << ask.offset;
    const std::uint64_t cut = std::min<std::uint64_t>(ask.length, content.size() - ask.offset);
    ASSERT_EQ(window.size(), cut) << ask.offset;
    EXPECT_TRUE(std::equal(window.begin(), window.end(),
                           content.begin() + static_cast<std::ptrdiff_t>(ask.offset)))
        << ask.offset << " " << ask.length;
  }
  std::span<const std::uint8_t> window;
  EXPECT_FALSE(view.Map(content.size(), 8, &window));
  EXPECT_FALSE(view.Map(0, 0, &window));
}

TEST(FileViewTest, BytesAlreadySeenAreReadAgainAfterTheFileShrank) {
  TempDir dir;
  const std::filesystem::path path = atoms::WriteIn(dir.path(), "a.MOV", Pattern(4096));
  FileView view;
  ASSERT_TRUE(view.Open(path));
  std::span<const std::uint8_t> window;
  ASSERT_TRUE(view.Map(1000, 8, &window));
  ASSERT_EQ(::truncate(path.c_str(), 500), 0);
  // The same window again, and one before it: both were in the block.
  EXPECT_FALSE(view.Map(1000, 8, &window));
  ASSERT_TRUE(view.Map(100, 8, &window)) << "still in the file";
  EXPECT_FALSE(view.Map(400, 200, &window)) << "reaches past the new end";
  EXPECT_FALSE(view.Map(2000, 8, &window));
}

TEST(FileViewTest, OnlyRegularFilesOpen) {
  TempDir dir;
  const std::filesystem::path file = atoms::WriteIn(dir.path(), "a.MOV", Pattern(16));
  const std::filesystem::path fifo = dir.path() / "fifo.MOV";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  std::filesystem::create_symlink(file, dir.path() / "to-file.MOV");
  std::filesystem::create_symlink(fifo, dir.path() / "to-fifo.MOV");
  struct Case {
    std::filesystem::path path;
    std::string why;  // empty when it opens
  };
  const std::vector<Case> cases = {
      {file, ""},
      {dir.path() / "to-file.MOV", ""},
      {fifo, "not a regular file: it is a FIFO"},
      {dir.path() / "to-fifo.MOV", "not a regular file: it is a FIFO"},
      {dir.path(), "not a regular file: it is a folder"},
      {"/dev/null", "not a regular file: it is a character device"},
      {dir.path() / "missing.MOV", "cannot open the file: No such file or directory"},
  };
  for (const Case& c : cases) {
    FileView view;
    std::string why;
    EXPECT_EQ(view.Open(c.path, &why), c.why.empty()) << c.path;
    EXPECT_EQ(why, c.why) << c.path;
    EXPECT_EQ(view.IsOpen(), c.why.empty()) << c.path;
  }
}

}  // namespace
