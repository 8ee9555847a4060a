// Odd files on a card must cost no more than a normal recording: atoms whose
// size fields claim gigabytes the card does not hold (sparse files), and
// FIFOs, sockets and folders named like recordings. kestrel-cli runs as a
// child under a hang guard; its peak memory is read from wait4().

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "atom_builder.h"
#include "mkcard/card_plan.h"
#include "mkcard/program_runner.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct ChildRun {
  int status = -1;  // the exit status; -1 when the child did not exit by itself
  bool hung = false;
  double seconds = 0;
  long peakKiB = 0;
  std::string out;
  std::string err;
};

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs kestrel-cli with `args`, killing it when it runs longer than `guard`
// seconds. Standard output and error go through files in `scratch`.
ChildRun RunCli(const std::vector<std::string>& args, const fs::path& scratch, double guard = 30) {
  const fs::path outPath = scratch / "child.out";
  const fs::path errPath = scratch / "child.err";
  std::vector<std::string> argv = {KESTREL_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (std::string& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
      _exit(127);
    }
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  ChildRun run;
  if (pid < 0) return run;
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, WNOHANG, &usage) == 0) {
    if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(guard)) {
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      run.hung = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakKiB = usage.ru_maxrss;
  if (!run.hung && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = FileText(outPath);
  run.err = FileText(errPath);
  return run;
}

std::string Describe(const std::vector<std::string>& args, const ChildRun& run) {
  std::string text = "kestrel-cli";
  for (const std::string& arg : args) text += " " + arg;
  return text + ": status " + std::to_string(run.status) + (run.hung ? " (killed)" : "") + ", " +
         std::to_string(run.seconds) + " s, " + std::to_string(run.peakKiB / 1024) + " MiB, " +
         run.err;
}

// The top-level atoms of a recording, each whole.
std::vector<atoms::Bytes> TopLevelAtoms(const atoms::Bytes& file) {
  std::vector<atoms::Bytes> parts;
  std::size_t at = 0;
  while (at + 8 <= file.size()) {
    const std::uint32_t size = (std::uint32_t{file[at]} << 24) |
                               (std::uint32_t{file[at + 1]} << 16) |
                               (std::uint32_t{file[at + 2]} << 8) | std::uint32_t{file[at + 3]};
    if (size < 8 || size > file.size() - at) break;
    parts.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(at),
                       file.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
  }
  return parts;
}

class HostileFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    card_ = new TempDir();
    options_.folders = 1;
    options_.files = 2;
    options_.seconds = 2;
    options_.width = 160;
    options_.height = 120;
    made_ = mkcard::RunProgram({KESTREL_MKCARD_PATH, "--folders", "1", "--files", "2", "--seconds",
                                "2", "--size", "160x120", card_->path().string()});
  }
  static void TearDownTestSuite() { delete card_; }
  void SetUp() override { ASSERT_EQ(made_.failure, "") << made_.errors; }

  static fs::path Recording(std::size_t i) {
    return card_->path() / mkcard::PlanCard(options_).at(i).path;
  }

  static TempDir* card_;
  static mkcard::CardOptions options_;
  static mkcard::ProgramResult made_;
  TempDir dir_;
};

TempDir* HostileFiles::card_ = nullptr;
mkcard::CardOptions HostileFiles::options_;
mkcard::ProgramResult HostileFiles::made_;

TEST_F(HostileFiles, HugeAtomsCostNoMoreThanTheRecording) {
  constexpr std::uint32_t kGiB = 1u << 30;
  constexpr std::uint32_t kLargest = 0xFFFFFFF8u;  // the largest 32-bit size, 8-aligned
  constexpr long kPeakKiB = 256 * 1024;
  std::ifstream in(Recording(0), std::ios::binary);
  const atoms::Bytes recording{std::istreambuf_iterator<char>(in), {}};
  const std::vector<atoms::Bytes> parts = TopLevelAtoms(recording);
  ASSERT_EQ(parts.size(), 5u);  // ftyp mdat moov udat free
  using atoms::HollowAtom;
  const auto whole = [](const atoms::Bytes& bytes) { return atoms::Stretch{bytes}; };
  const std::size_t records = mkcard::PlanCard(options_).at(0).samples.size();

  struct Case {
    const char* what;
    std::vector<atoms::Stretch> stretches;
    bool recorderFile;
  };
  // The big atoms go after the movie atom, so that the media stays where
  // the chunk offsets say and the file still ends as the recorder ends it.
  const std::vector<Case> cases = {
      {"a 4 GiB free atom",
       {whole(parts[0]), whole(parts[1]), whole(parts[2]), HollowAtom("free", kLargest),
        whole(parts[3]), whole(parts[4])},
       true},
      {"two 4 GiB free atoms",
       {whole(parts[0]), whole(parts[1]), whole(parts[2]), HollowAtom("free", kLargest),
        HollowAtom("free", kLargest), whole(parts[3]), whole(parts[4])},
       true},
      {"a 1 GiB uuid atom",
       {whole(parts[0]), whole(parts[1]), whole(parts[2]), HollowAtom("uuid", kGiB),
        whole(parts[3]), whole(parts[4])},
       true},
      {"a leading unknown atom of 1 GiB", {HollowAtom("junk", kGiB), whole(recording)}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path folder = dir_.path() / "card";
    const fs::path out = dir_.path() / "out";
    fs::create_directories(folder);
    fs::create_directories(out);
    const fs::path file = folder / fs::path(Recording(0)).filename();
    ASSERT_TRUE(atoms::WriteSparse(file, c.stretches));
    ASSERT_GT(fs::file_size(file), std::uint64_t{kGiB});

    const fs::path joined = out / "joined.MOV";
    const std::vector<std::vector<std::string>> commands = {
        {"info", file.string(), "--records"},
        {"list", folder.string()},
        {"csv", folder.string(), out.string()},
        {"gpx", file.string(), "-o", (out / "route.gpx").string()},
        {"join", joined.string(), file.string(), Recording(1).string()},
    };
    for (const std::vector<std::string>& args : commands) {
      const ChildRun run = RunCli(args, dir_.path());
      const std::string said = Describe(args, run);
      EXPECT_FALSE(run.hung) << said;
      EXPECT_LT(run.seconds, 5.0) << said;
      EXPECT_LT(run.peakKiB, kPeakKiB) << said;
      const std::string& command = args[0];
      if (command == "join") {
        // Written through whole, or refused with its reason and no output.
        if (run.status == 0) {
          const ChildRun check = RunCli({"info", joined.string()}, dir_.path());
          ASSERT_EQ(check.status, 0) << check.err;
          EXPECT_EQ(nlohmann::json::parse(check.out)["recorder_file"], true);
        } else {
          EXPECT_EQ(run.status, 1) << said;
          EXPECT_NE(run.err.find('('), std::string::npos) << said;
          EXPECT_FALSE(fs::exists(joined)) << said;
        }
        continue;
      }
      if (command == "csv" || command == "gpx") {
        // A folder without a recording has no list to write; only a
        // recording has a route.
        EXPECT_EQ(run.status, c.recorderFile ? 0 : 1) << said;
        continue;
      }
      ASSERT_EQ(run.status, 0) << said;
      if (command == "info") {
        const nlohmann::json info = nlohmann::json::parse(run.out, nullptr, false);
        EXPECT_EQ(info["recorder_file"], c.recorderFile) << said;
        EXPECT_EQ(info["record_count"], records) << said;
        EXPECT_EQ(info["records"].size(), records) << said;
      } else if (command == "list") {
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), c.recorderFile ? 1 : 0)
            << said << run.out;
      }
    }
    // Nothing half-written is left beside the outputs.
    for (const auto& entry : fs::directory_iterator(out)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "joined.MOV" || name == "route.gpx" || name.starts_with("Dv_")) << name;
    }
    fs::remove_all(folder);
    fs::remove_all(out);
  }
}

// Makes a socket file at `path`.
bool MakeSocket(const fs::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.string().size() >= sizeof address.sun_path) return false;
  std::strcpy(address.sun_path, path.c_str());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool bound =
      fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) close(fd);
  return bound;
}

TEST_F(HostileFiles, SpecialFilesNamedLikeRecordingsAreSkippedOrRefused) {
  // A card of the two recordings and, between them in name order, a FIFO, a
  // socket, a folder and a symbolic link to the FIFO.
  const fs::path media = dir_.path() / "DCIM" / "100MEDIA";
  fs::create_directories(media);
  std::vector<std::string> real;
  for (std::size_t i = 0; i < 2; ++i) {
    fs::copy_file(Recording(i), media / Recording(i).filename());
    real.push_back(Recording(i).filename().string());
  }
  const std::string stem = real[0].substr(0, 10);  // the first recording's time
  const fs::path fifo = media / (stem + "_G.MOV");
  const fs::path socket = media / (stem + "_M.MOV");
  const fs::path folder = media / (stem + "_P.MOV");
  const fs::path link = media / (stem + "_S.MOV");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  ASSERT_TRUE(MakeSocket(socket)) << socket;
  fs::create_directory(folder);
  fs::create_symlink(fifo, link);

  const std::vector<std::string> list = {"list", dir_.path().string()};
  const ChildRun listed = RunCli(list, dir_.path(), 10);
  ASSERT_EQ(listed.status, 0) << Describe(list, listed);
  EXPECT_LT(listed.seconds, 1.0) << Describe(list, listed);
  std::istringstream lines(listed.out);
  std::vector<std::string> names;
  for (std::string line; std::getline(lines, line);)
    names.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ(names, real) << listed.out;

  const std::vector<std::string> csv = {"csv", dir_.path().string(), dir_.path().string()};
  const ChildRun exported = RunCli(csv, dir_.path(), 10);
  EXPECT_EQ(exported.status, 0) << Describe(csv, exported);

  struct Refused {
    fs::path path;
    const char* kind;
  };
  for (const Refused& special : {Refused{fifo, "a FIFO"}, Refused{socket, "a socket"},
                                 Refused{folder, "a folder"}, Refused{link, "a FIFO"}}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"info", special.path.string()},
          std::vector<std::string>{"gpx", special.path.string(), "-o",
                                   (dir_.path() / "route.gpx").string()}}) {
      const ChildRun run = RunCli(args, dir_.path(), 10);
      const std::string said = Describe(args, run);
      EXPECT_EQ(run.status, 1) << said;
      if (args[0] == "info") {
        EXPECT_NE(run.err.find(special.path.string()), std::string::npos) << said;
        EXPECT_NE(run.err.find(std::string("not a regular file: it is ") + special.kind),
                  std::string::npos)
            << said;
      }
    }
  }
  EXPECT_FALSE(fs::exists(dir_.path() / "route.gpx"));
}

TEST_F(HostileFiles, FolderLoopsListEachRecordingOnce) {
  // A card of the two recordings, listed before and after links that lead
  // back up the tree (a loop through the card's folder, one through the
  // card itself) and a second name for the recordings' folder.
  const fs::path dcim = dir_.path() / "DCIM";
  const fs::path media = dcim / "100MEDIA";
  fs::create_directories(media);
  for (std::size_t i = 0; i < 2; ++i) fs::copy_file(Recording(i), media / Recording(i).filename());
  const fs::path out = dir_.path() / "out";
  fs::create_directories(out);
  const std::vector<std::vector<std::string>> commands = {
      {"list", dir_.path().string()},
      {"events", dir_.path().string(), "--json"},
      {"list", media.string()},
      {"events", media.string()},
      {"csv", dir_.path().string(), out.string(), "--force"},
  };
  // What a command printed, and the list it wrote.
  const auto output = [](const std::vector<std::string>& args, const ChildRun& run) {
    if (args[0] != "csv" || run.out.empty()) return run.out;
    return run.out + FileText(run.out.substr(0, run.out.size() - 1));
  };
  std::vector<std::string> before;
  std::vector<long> beforeKiB;
  for (const std::vector<std::string>& args : commands) {
    const ChildRun run = RunCli(args, dir_.path(), 10);
    ASSERT_EQ(run.status, 0) << Describe(args, run);
    before.push_back(output(args, run));
    beforeKiB.push_back(run.peakKiB);
  }
  ASSERT_EQ(std::count(before[0].begin(), before[0].end(), '\n'), 2) << before[0];

  fs::create_directory_symlink(dcim, media / "up");
  fs::create_directory_symlink("..", media / "parent");
  fs::create_directory_symlink(".", dcim / "here");
  fs::create_directory_symlink(media, dcim / "200MEDIA");
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const ChildRun run = RunCli(commands[i], dir_.path(), 10);
    const std::string said = Describe(commands[i], run);
    EXPECT_EQ(run.status, 0) << said;
    EXPECT_LT(run.seconds, 2.0) << said;
    // At most 64 MB beyond the same command without the loops (a sanitizer
    // build starts far higher than a plain one).
    EXPECT_LT(run.peakKiB, beforeKiB[i] + 64 * 1024) << said;
    EXPECT_EQ(output(commands[i], run), before[i]) << said;
  }
}

// Writes `bytes` over `file` at `at`.
void Overwrite(const fs::path& file, std::uint64_t at, const std::string& bytes) {
  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(static_cast<std::streamoff>(at));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(HostileFiles, DamagedRecordingsAreLeftOutOfExportsAndNamed) {
  // The first recording of the card with a movie atom too short to hold
  // anything (still a recorder file by its head and tail), a copy cut
  // short, and the second recording whole.
  const fs::path media = dir_.path() / "card" / "DCIM" / "100MEDIA";
  const fs::path out = dir_.path() / "out";
  fs::create_directories(media);
  fs::create_directories(out);
  const fs::path broken = media / Recording(0).filename();
  const fs::path whole = media / Recording(1).filename();
  fs::copy_file(Recording(0), broken);
  fs::copy_file(Recording(1), whole);
  const std::string bytes = FileText(broken);
  Overwrite(broken, bytes.find("moov") - 4, std::string("\0\0\0\4", 4));
  const fs::path cut = dir_.path() / "cut.MOV";
  fs::copy_file(Recording(0), cut);
  fs::resize_file(cut, fs::file_size(cut) / 2);
  const fs::path gpx = out / "route.gpx";

  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<fs::path> named;       // on standard error
    std::vector<std::string> written;  // in the output, each once
  };
  const std::vector<Case> cases = {
      {{"csv", (dir_.path() / "card").string(), out.string()},
       3,
       {broken},
       {broken.filename().string() + ",-,-,-,-,-,-,fps,0MB\r\n",
        whole.filename().string() + ",2024/"}},
      {{"gpx", cut.string(), whole.string(), "-o", gpx.string()},
       3,
       {cut},
       {"<name>" + whole.filename().string() + "</name>", "<trk>"}},
      {{"gpx", cut.string(), "-o", gpx.string()}, 1, {cut}, {}},
  };
  for (const Case& c : cases) {
    fs::remove_all(out);
    fs::create_directories(out);
    const ChildRun run = RunCli(c.args, dir_.path(), 10);
    const std::string said = Describe(c.args, run);
    EXPECT_EQ(run.status, c.status) << said;
    for (const fs::path& path : c.named) {
      EXPECT_NE(run.err.find(path.string()), std::string::npos) << said;
    }
    std::string written;
    for (const auto& entry : fs::directory_iterator(out)) written += FileText(entry.path());
    EXPECT_EQ(written.empty(), c.written.empty()) << said;
    for (const std::string& text : c.written) {
      const std::size_t at = written.find(text);
      EXPECT_NE(at, std::string::npos) << said << "\n" << text << "\n" << written;
      if (at != std::string::npos) {
        EXPECT_EQ(written.find(text, at + 1), std::string::npos) << text;
      }
    }
  }
}

}  // namespace
