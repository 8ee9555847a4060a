// kestrel-cli repair on generated recordings cut short, and on the inputs it
// refuses: each refusal says why, writes nothing and leaves the file as it
// was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "mkcard/program_runner.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

std::vector<fs::path> Generate(const fs::path& folder, const std::string& size, int files) {
  const mkcard::ProgramResult made =
      mkcard::RunProgram({KESTREL_MKCARD_PATH, "--folders", "1", "--files", std::to_string(files),
                          "--seconds", "2", "--size", size, "--triggers", "G", folder.string()});
  EXPECT_EQ(made.failure, "") << made.errors;
  std::vector<fs::path> movies;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".MOV") movies.push_back(entry.path());
  }
  std::sort(movies.begin(), movies.end());
  return movies;
}

// The offset of the content of the file's media atom (behind "ftyp").
std::size_t MediaStart(const Bytes& movie) {
  const auto size = static_cast<std::size_t>(static_cast<unsigned char>(movie[3]));
  return size + 8;
}

TEST(RepairCommand, RepairsBesideTheFileOrIntoOutAndRefusesWithTheReason) {
  TempDir dir;
  const std::vector<fs::path> card = Generate(dir.path() / "card", "320x240", 2);
  const std::vector<fs::path> other = Generate(dir.path() / "other", "640x360", 1);
  ASSERT_EQ(card.size(), 2u);
  ASSERT_EQ(other.size(), 1u);
  const Bytes good = Read(card[0]);
  const Bytes source = Read(card[1]);
  // The same recording with its pictures labelled as HEVC.
  Bytes hevc = good;
  const std::string avc1 = "avc1";
  std::copy_n("hvc1", 4, std::search(hevc.begin(), hevc.end(), avc1.begin(), avc1.end()));
  const auto cut = [&](std::size_t length) {
    return Bytes(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(length));
  };
  const Bytes half = cut(source.size() / 2);

  struct Case {
    const char* name;
    Bytes damaged;
    bool goodBeside;                // a healthy recording in the damaged file's folder
    std::vector<std::string> args;  // after FILE; "@other", "@hevc" name those references
    int status;                     // 0, or 1 for a refusal
    const char* says;               // on standard error
    const char* output;             // the file a repair writes
  };
  const std::vector<Case> cases = {
      {"repair beside the file", half, true, {}, 0, "pictures and", "0612083002_G_repaired.MOV"},
      {"repair into -o",
       half,
       false,
       {"-o", "@out", "--reference", "@good"},
       0,
       "pictures and",
       "fixed.MOV"},
      {"garbage after the cut",
       [&] {
         Bytes b = half;
         b.insert(b.end(), 5000, '\x5a');
         return b;
       }(),
       true,
       {},
       0,
       "pictures and",
       "0612083002_G_repaired.MOV"},
      {"no reference on the card", half, false, {}, 1, "no reference recording was found", nullptr},
      {"reference of another size",
       half,
       true,
       {"--reference", "@other"},
       1,
       "640x360 that the damaged recording's first picture does not decode with",
       nullptr},
      {"reference of another codec",
       half,
       true,
       {"--reference", "@hevc"},
       1,
       "'hvc1' samples; the repair reads H.264",
       nullptr},
      {"cut inside the first picture",
       cut(MediaStart(source) + 60),
       true,
       {},
       1,
       "ends inside its first picture: nothing to recover",
       nullptr},
      {"a healthy recording", source, true, {}, 1, "still has its movie index", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir place;
    const fs::path folder = place.path() / "100MEDIA";
    fs::create_directories(folder);
    const fs::path damaged = folder / card[1].filename();
    Write(damaged, c.damaged);
    if (c.goodBeside) Write(folder / card[0].filename(), good);
    Write(place.path() / "hevc.MOV", hevc);
    const std::set<std::string> before = Listing(folder);

    std::vector<std::string> argv = {KESTREL_CLI_PATH, "repair", damaged.string()};
    for (const std::string& arg : c.args) {
      argv.push_back(arg == "@other"  ? other[0].string()
                     : arg == "@hevc" ? (place.path() / "hevc.MOV").string()
                     : arg == "@good" ? card[0].string()
                     : arg == "@out"  ? (folder / "fixed.MOV").string()
                                      : arg);
    }
    const mkcard::ProgramResult run = mkcard::RunProgram(argv);
    EXPECT_EQ(run.failure.empty(), c.status == 0) << run.failure;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
    EXPECT_TRUE(Read(damaged) == c.damaged);
    std::set<std::string> after = before;
    if (c.output != nullptr) {
      after.insert(c.output);
      EXPECT_EQ(run.output, (folder / c.output).string() + "\n");
      const mkcard::ProgramResult decoded = mkcard::RunProgram(
          {"ffmpeg", "-v", "error", "-i", (folder / c.output).string(), "-f", "null", "-"});
      EXPECT_EQ(decoded.failure + decoded.errors, "");
    }
    EXPECT_EQ(Listing(folder), after);
  }
}

}  // namespace
