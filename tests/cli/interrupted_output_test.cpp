// kestrel-cli's outputs when its run is cut short: killed, stopped by a
// signal, held to a file-size limit, or with its file calls interrupted. The
// program runs as users run it, on generated recordings, with io_faults.cpp
// preloaded to note, interrupt or stop its file calls at exact points. The
// output goes to a folder on the disk (where a file can be written unnamed)
// and to an exFAT card image mounted through FUSE (where it cannot).

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "../catalogue/generated_card.h"
#include "mkcard/program_runner.h"
#include "temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// What io_faults.cpp is to do in the run.
struct Faults {
  fs::path log;
  long signalAt = 0;
  int signal = 0;
  bool interrupt = false;
  rlim_t fileSizeLimit = RLIM_INFINITY;
};

struct Ending {
  int exitCode = -1;  // -1 when ended by a signal
  int signal = 0;
  std::string errors;
};

std::vector<std::string> ChildEnvironment(const Faults& faults) {
  std::vector<std::string> env;
  std::string asan = "ASAN_OPTIONS=verify_asan_link_order=0";
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (text.starts_with("ASAN_OPTIONS=")) {
      asan = text + ":verify_asan_link_order=0";
    } else if (!text.starts_with("LD_PRELOAD=") && !text.starts_with("KESTREL_IO_")) {
      env.push_back(text);
    }
  }
  env.push_back(asan);
  env.push_back(std::string("LD_PRELOAD=") + KESTREL_IO_FAULTS_PATH);
  if (!faults.log.empty()) env.push_back("KESTREL_IO_LOG=" + faults.log.string());
  if (faults.signal != 0) {
    env.push_back("KESTREL_IO_SIGNAL_AT=" + std::to_string(faults.signalAt));
    env.push_back("KESTREL_IO_SIGNAL=" + std::to_string(faults.signal));
  }
  if (faults.interrupt) env.push_back("KESTREL_IO_INTERRUPT=1");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// One kestrel-cli process; killed and reaped if the test leaves it running.
class CliProcess {
 public:
  CliProcess(std::vector<std::string> args, const Faults& faults) {
    args.insert(args.begin(), KESTREL_CLI_PATH);
    std::vector<std::string> env = ChildEnvironment(faults);
    const std::vector<char*> argv = Pointers(args);
    const std::vector<char*> envp = Pointers(env);
    int errors[2];
    if (pipe2(errors, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      // The signals as a shell would hand them on to a program it starts in
      // the foreground, whatever this test was started with.
      for (const int ending : {SIGINT, SIGTERM, SIGHUP}) ::signal(ending, SIG_DFL);
      sigset_t none_blocked;
      sigemptyset(&none_blocked);
      sigprocmask(SIG_SETMASK, &none_blocked, nullptr);
      const int none = open("/dev/null", O_RDWR);
      dup2(none, STDIN_FILENO);
      dup2(none, STDOUT_FILENO);
      dup2(errors[1], STDERR_FILENO);
      const rlimit limit{faults.fileSizeLimit, faults.fileSizeLimit};
      if (faults.fileSizeLimit != RLIM_INFINITY) setrlimit(RLIMIT_FSIZE, &limit);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    close(errors[1]);
    errors_ = errors[0];
  }
  ~CliProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (errors_ >= 0) close(errors_);
  }
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  // True once the process has stopped itself (SIGSTOP).
  bool WaitStopped() {
    int status = 0;
    return pid_ > 0 && waitpid(pid_, &status, WUNTRACED) == pid_ && WIFSTOPPED(status);
  }
  void Signal(int signal) { kill(pid_, signal); }

  // Collects standard error until the process ends (a minute at most).
  Ending Wait() {
    Ending ending;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    char buffer[4096];
    while (errors_ >= 0 && std::chrono::steady_clock::now() < deadline) {
      pollfd wait{errors_, POLLIN, 0};
      if (poll(&wait, 1, 1000) <= 0) continue;
      const ssize_t got = read(errors_, buffer, sizeof buffer);
      if (got <= 0) break;
      ending.errors.append(buffer, static_cast<std::size_t>(got));
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ADD_FAILURE() << "kestrel-cli did not end within a minute";
      kill(pid_, SIGKILL);
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    if (WIFEXITED(status)) ending.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) ending.signal = WTERMSIG(status);
    return ending;
  }

 private:
  pid_t pid_ = -1;
  int errors_ = -1;
};

Ending RunCli(const std::vector<std::string>& args, const Faults& faults = {}) {
  return CliProcess(args, faults).Wait();
}

// The calls io_faults.cpp noted, in order: call number n is element n - 1.
std::vector<std::string> Calls(const fs::path& log) {
  std::ifstream in(log);
  std::vector<std::string> calls;
  for (std::string line; std::getline(in, line);) calls.push_back(line);
  return calls;
}

// The number of the first call named `name` from call number `from` on.
long CallNumber(const std::vector<std::string>& calls, const std::string& name, long from = 1) {
  const auto it = std::find(calls.begin() + (from - 1), calls.end(), name);
  return it == calls.end() ? 0 : static_cast<long>(it - calls.begin()) + 1;
}

// The number of the middle write of the run.
long MiddleWrite(const std::vector<std::string>& calls) {
  std::vector<long> writes;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i] == "write") writes.push_back(static_cast<long>(i) + 1);
  }
  return writes.empty() ? 0 : writes[writes.size() / 2];
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

bool IsTempName(const std::string& name) {
  return std::regex_match(name, std::regex(R"(\.out\.mov\.kestrel-[A-Za-z0-9]{6})"));
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// An exFAT file system (as on the recorder's larger cards) in an image file,
// mounted through a loop device and FUSE for the test. It has no unnamed
// files.
class ExfatCard {
 public:
  // Loop devices take root.
  static bool Possible() {
    return geteuid() == 0 && fs::exists("/dev/fuse") && fs::exists("/dev/loop-control");
  }

  explicit ExfatCard(const fs::path& folder)
      : image_(folder / "card.img"), mount_(folder / "card") {
    std::ofstream(image_).close();
    fs::resize_file(image_, 32 << 20);
    fs::create_directory(mount_);
    if (!Step({"mkfs.exfat", image_.string()})) return;
    const std::optional<std::string> loop = Step({"losetup", "--find", "--show", image_.string()});
    if (!loop) return;
    loop_ = loop->substr(0, loop->find('\n'));
    mounted_ = Step({"mount.exfat-fuse", loop_, mount_.string()}).has_value();
  }
  ~ExfatCard() {
    if (mounted_) mkcard::RunProgram({"umount", mount_.string()});
    if (!loop_.empty()) mkcard::RunProgram({"losetup", "--detach", loop_});
  }
  ExfatCard(const ExfatCard&) = delete;
  ExfatCard& operator=(const ExfatCard&) = delete;

  bool mounted() const { return mounted_; }
  const fs::path& path() const { return mount_; }

 private:
  // Runs a program of the mount; its output, or nothing when it failed.
  static std::optional<std::string> Step(const std::vector<std::string>& argv) {
    const mkcard::ProgramResult run = mkcard::RunProgram(argv);
    EXPECT_EQ(run.failure, "") << run.errors;
    if (!run.failure.empty()) return std::nullopt;
    return run.output;
  }

  fs::path image_;
  fs::path mount_;
  std::string loop_;
  bool mounted_ = false;
};

// The folder a case writes into, on the disk or on an exFAT card, and a
// scratch folder beside it.
class OutputFolder {
 public:
  explicit OutputFolder(bool exfat) {
    if (exfat) {
      card_ = std::make_unique<ExfatCard>(base_.path());
    } else {
      fs::create_directory(base_.path() / "out");
    }
  }
  fs::path path() const { return card_ ? card_->path() : base_.path() / "out"; }
  const fs::path& scratch() const { return base_.path(); }
  bool ready() const { return !card_ || card_->mounted(); }
  std::string kind() const { return card_ ? "exFAT card" : "disk"; }
  // True when a file cannot be created unnamed here.
  bool NamedOnly() const {
    const int fd = open(path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) close(fd);
    return fd < 0;
  }

 private:
  TempDir base_;
  std::unique_ptr<ExfatCard> card_;
};

class InterruptedOutput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    source_ = new TempDir;
    inputs_ = new std::vector<fs::path>(GenerateRecordings(
        source_->path() / "card", {"--folders", "1", "--files", "3", "--seconds", "2", "--size",
                                   "160x120", "--triggers", "A"}));
    const fs::path reference = source_->path() / "joined.mov";
    EXPECT_EQ(RunCli(JoinArgs(reference)).exitCode, 0);
    joined_ = new std::vector<std::uint8_t>(FileBytes(reference));
    EXPECT_EQ(RunCli({"join", reference.string(), inputs_->front().string()}).exitCode, 0);
    old_ = new std::vector<std::uint8_t>(FileBytes(reference));
  }
  static void TearDownTestSuite() {
    delete old_;
    delete joined_;
    delete inputs_;
    delete source_;
  }

  static std::vector<std::string> JoinArgs(const fs::path& output) {
    std::vector<std::string> args = {"join", output.string()};
    for (const fs::path& input : *inputs_) args.push_back(input.string());
    return args;
  }
  // The folder kinds a case runs on; exFAT only where it can be mounted.
  static std::vector<bool> ExfatOrNot() {
    return ExfatCard::Possible() ? std::vector{false, true} : std::vector{false};
  }

  // Runs the join into `folder` (holding the old output), noting its calls,
  // and puts the old output back.
  static std::vector<std::string> JoinCalls(const OutputFolder& folder) {
    const fs::path log = folder.scratch() / "calls.log";
    fs::remove(log);
    EXPECT_EQ(RunCli(JoinArgs(folder.path() / "out.mov"), {.log = log}).exitCode, 0);
    WriteBytes(folder.path() / "out.mov", *old_);
    return Calls(log);
  }

  static TempDir* source_;
  static std::vector<fs::path>* inputs_;
  static std::vector<std::uint8_t>* joined_;  // the three recordings joined
  static std::vector<std::uint8_t>* old_;     // the first one alone: the output already there
};
TempDir* InterruptedOutput::source_ = nullptr;
std::vector<fs::path>* InterruptedOutput::inputs_ = nullptr;
std::vector<std::uint8_t>* InterruptedOutput::joined_ = nullptr;
std::vector<std::uint8_t>* InterruptedOutput::old_ = nullptr;

TEST_F(InterruptedOutput, JoinKilledAnywhereOnTheDiskLeavesOnlyTheOldOutput) {
  OutputFolder folder(false);
  ASSERT_FALSE(folder.NamedOnly());
  const fs::path out = folder.path() / "out.mov";
  WriteBytes(out, *old_);
  const std::vector<std::string> calls = JoinCalls(folder);
  // The unnamed file gets a name for the moment between its link and the
  // rename over the old output.
  const long link = CallNumber(calls, "linkat");
  const long rename = CallNumber(calls, "renameat", link);
  ASSERT_GE(link, 20);
  ASSERT_EQ(rename, link + 1);

  for (long i = 0; i < 20; ++i) {
    const long point = 1 + i * (link - 1) / 19;
    SCOPED_TRACE("killed before call " + std::to_string(point) + " (" + calls[point - 1] + ")");
    const Ending ending = RunCli(JoinArgs(out), {.signalAt = point, .signal = SIGKILL});
    EXPECT_EQ(ending.signal, SIGKILL);
    EXPECT_EQ(Listing(folder.path()), std::set<std::string>{"out.mov"});
    EXPECT_TRUE(FileBytes(out) == *old_);
  }

  // Killed between the two, it leaves the named file, locked by nobody: the
  // next join removes it.
  EXPECT_EQ(RunCli(JoinArgs(out), {.signalAt = rename, .signal = SIGKILL}).signal, SIGKILL);
  std::set<std::string> left = Listing(folder.path());
  ASSERT_EQ(left.erase("out.mov"), 1u);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_TRUE(IsTempName(*left.begin())) << *left.begin();
  EXPECT_TRUE(FileBytes(out) == *old_);
  EXPECT_EQ(RunCli(JoinArgs(out)).exitCode, 0);
  EXPECT_EQ(Listing(folder.path()), std::set<std::string>{"out.mov"});
  EXPECT_TRUE(FileBytes(out) == *joined_);
}

TEST_F(InterruptedOutput, OnExfatTheNextJoinRemovesOnlyTempFilesWhoseWriterIsGone) {
  if (!ExfatCard::Possible())
    GTEST_SKIP() << "not root, or no FUSE or loop devices: an exFAT card cannot be mounted";
  OutputFolder folder(true);
  ASSERT_TRUE(folder.ready());
  ASSERT_TRUE(folder.NamedOnly());
  const fs::path out = folder.path() / "out.mov";
  WriteBytes(out, *old_);
  // Files and a folder that only look like a temporary file stay.
  for (const char* name :
       {"notes.txt", ".out.mov.AbC123", ".out.mov.kestrel-AbC12", ".x.kestrel-AbC1234"}) {
    std::ofstream(folder.path() / name) << "kept";
  }
  fs::create_directory(folder.path() / ".out.mov.kestrel-Folder");
  const std::set<std::string> others = Listing(folder.path());
  const long middle = MiddleWrite(JoinCalls(folder));
  ASSERT_GT(middle, 0);
  const auto added = [&] {
    std::vector<std::string> names;
    for (const std::string& name : Listing(folder.path())) {
      if (others.count(name) == 0) names.push_back(name);
    }
    return names;
  };

  // A writer stopped mid-run holds the lock on its file; a writer killed
  // mid-run leaves its file, locked by nobody, beside it.
  CliProcess writer(JoinArgs(out), {.signalAt = middle, .signal = SIGSTOP});
  ASSERT_TRUE(writer.WaitStopped());
  const std::vector<std::string> live = added();
  ASSERT_EQ(live.size(), 1u);
  EXPECT_TRUE(IsTempName(live[0])) << live[0];
  EXPECT_EQ(RunCli(JoinArgs(out), {.signalAt = middle, .signal = SIGKILL}).signal, SIGKILL);
  ASSERT_EQ(added().size(), 2u);
  EXPECT_TRUE(FileBytes(out) == *old_);

  EXPECT_EQ(RunCli(JoinArgs(out)).exitCode, 0);
  EXPECT_EQ(added(), live);
  EXPECT_TRUE(FileBytes(out) == *joined_);

  writer.Signal(SIGKILL);
  EXPECT_EQ(writer.Wait().signal, SIGKILL);
  EXPECT_EQ(added(), live);
  EXPECT_EQ(RunCli(JoinArgs(out)).exitCode, 0);
  EXPECT_EQ(added(), std::vector<std::string>{});
  EXPECT_EQ(Listing(folder.path()), others);
}

TEST_F(InterruptedOutput, InterruptTerminateAndHangUpMidJoinLeaveOnlyTheOldOutput) {
  for (const bool exfat : ExfatOrNot()) {
    OutputFolder folder(exfat);
    ASSERT_TRUE(folder.ready());
    const fs::path out = folder.path() / "out.mov";
    WriteBytes(out, *old_);
    const long middle = MiddleWrite(JoinCalls(folder));
    for (const int sent : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(folder.kind() + ", signal " + std::to_string(sent));
      const Ending ending = RunCli(JoinArgs(out), {.signalAt = middle, .signal = sent});
      EXPECT_EQ(ending.signal, sent) << ending.errors;
      EXPECT_EQ(Listing(folder.path()), std::set<std::string>{"out.mov"});
      EXPECT_TRUE(FileBytes(out) == *old_);
    }
  }
  if (!ExfatCard::Possible())
    GTEST_SKIP() << "not root, or no FUSE or loop devices: only the disk was tried";
}

TEST_F(InterruptedOutput, FileSizeLimitFailsTheJoinCleanly) {
  for (const bool exfat : ExfatOrNot()) {
    OutputFolder folder(exfat);
    ASSERT_TRUE(folder.ready());
    SCOPED_TRACE(folder.kind());
    const fs::path out = folder.path() / "out.mov";
    WriteBytes(out, *old_);
    const Ending ending = RunCli(JoinArgs(out), {.fileSizeLimit = joined_->size() / 2});
    EXPECT_EQ(ending.exitCode, 1);
    EXPECT_NE(ending.errors.find("File too large"), std::string::npos) << ending.errors;
    EXPECT_EQ(Listing(folder.path()), std::set<std::string>{"out.mov"});
    EXPECT_TRUE(FileBytes(out) == *old_);
  }
  if (!ExfatCard::Possible())
    GTEST_SKIP() << "not root, or no FUSE or loop devices: only the disk was tried";
}

TEST_F(InterruptedOutput, EverySecondCallInterruptedGivesTheSameFiles) {
  const std::vector<std::string> route = {"gpx", inputs_->at(0).string(), inputs_->at(1).string(),
                                          "-o"};
  // The repair copies the media on a thread of its own while it walks them.
  TempDir cut;
  const fs::path damaged = cut.path() / "damaged.MOV";
  std::vector<std::uint8_t> bytes = FileBytes((*inputs_)[1]);
  bytes.resize(bytes.size() * 3 / 5);
  WriteBytes(damaged, bytes);
  // Each command writes one file into the folder given last.
  const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
      {"join", JoinArgs("")},
      {"csv", {"csv", (source_->path() / "card").string()}},
      {"gpx", route},
      {"repair", {"repair", damaged.string(), "--reference", inputs_->front().string(), "-o"}},
  };
  const auto output = [](const std::vector<std::string>& args, const fs::path& folder) {
    std::vector<std::string> full = args;
    if (args[0] == "join") full[1] = (folder / "out.mov").string();
    if (args[0] == "csv") full.push_back(folder.string());
    if (args[0] == "gpx") full.push_back((folder / "route.gpx").string());
    if (args[0] == "repair") full.push_back((folder / "out.mov").string());
    return full;
  };
  for (const auto& [name, args] : commands) {
    TempDir reference;
    ASSERT_EQ(RunCli(output(args, reference.path())).exitCode, 0);
    const std::set<std::string> written = Listing(reference.path());
    ASSERT_EQ(written.size(), 1u);
    const std::vector<std::uint8_t> expected = FileBytes(reference.path() / *written.begin());
    for (const bool exfat : ExfatOrNot()) {
      OutputFolder folder(exfat);
      ASSERT_TRUE(folder.ready());
      SCOPED_TRACE(name + " on the " + folder.kind());
      const fs::path log = folder.scratch() / "calls.log";
      const Ending ending = RunCli(output(args, folder.path()), {.log = log, .interrupt = true});
      EXPECT_EQ(ending.exitCode, 0) << ending.errors;
      EXPECT_EQ(Listing(folder.path()), written);
      EXPECT_TRUE(FileBytes(folder.path() / *written.begin()) == expected);
      // The run really met interrupted reads, writes, opens and flushes.
      const std::vector<std::string> calls = Calls(log);
      for (const char* call : {"pread EINTR", "write EINTR", "fsync EINTR"}) {
        EXPECT_GT(std::count(calls.begin(), calls.end(), call), 0) << call;
      }
      EXPECT_GT(std::count(calls.begin(), calls.end(), "open EINTR") +
                    std::count(calls.begin(), calls.end(), "openat EINTR"),
                0);
    }
  }
  if (!ExfatCard::Possible())
    GTEST_SKIP() << "not root, or no FUSE or loop devices: only the disk was tried";
}

}  // namespace

namespace {

// A repair stopped by a signal mid-write, or held to a file-size limit,
// leaves no output and no temporary file, and the damaged file as it was.
TEST_F(InterruptedOutput, RepairInterruptedOrOutOfSpaceLeavesNoOutputAndTheDamagedFile) {
  OutputFolder folder(false);
  const fs::path damaged = folder.scratch() / "damaged.MOV";
  std::vector<std::uint8_t> bytes = FileBytes((*inputs_)[1]);
  bytes.resize(bytes.size() * 3 / 5);
  WriteBytes(damaged, bytes);
  const fs::path out = folder.path() / "out.mov";
  const std::vector<std::string> args = {"repair",     damaged.string(), "-o",
                                         out.string(), "--reference",    inputs_->front().string()};
  const fs::path log = folder.scratch() / "calls.log";
  ASSERT_EQ(RunCli(args, {.log = log}).exitCode, 0);
  const auto repairedSize = static_cast<rlim_t>(fs::file_size(out));
  fs::remove(out);
  const long middle = MiddleWrite(Calls(log));
  ASSERT_GT(middle, 0);

  struct Case {
    const char* name;
    Faults faults;
    int signal;    // the signal that ends the run, or 0
    int exitCode;  // when it ends by itself
    const char* says;
  };
  const Case cases[] = {
      {"interrupted", {.signalAt = middle, .signal = SIGINT}, SIGINT, -1, ""},
      {"terminated", {.signalAt = middle, .signal = SIGTERM}, SIGTERM, -1, ""},
      {"out of space", {.fileSizeLimit = repairedSize / 2}, 0, 1, "File too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Ending ending = RunCli(args, c.faults);
    EXPECT_EQ(ending.signal, c.signal) << ending.errors;
    EXPECT_EQ(ending.exitCode, c.exitCode);
    EXPECT_NE(ending.errors.find(c.says), std::string::npos) << ending.errors;
    EXPECT_TRUE(Listing(folder.path()).empty());
    EXPECT_TRUE(FileBytes(damaged) == bytes);
  }
}

}  // namespace

namespace {

// A clip killed or stopped by a signal mid-write, or held to a file-size
// limit, leaves no output and no temporary file, and its recordings as they
// were.
TEST_F(InterruptedOutput, ClipKilledOrOutOfSpaceLeavesNothingAndTheRecordings) {
  OutputFolder folder(false);
  const fs::path out = folder.path() / "out.mov";
  const std::vector<std::string> args = {"clip",   (source_->path() / "card").string(),
                                         "--from", (*inputs_)[0].stem().string() + "@0.5",
                                         "--to",   (*inputs_)[2].stem().string() + "@1.5",
                                         "-o",     out.string()};
  std::vector<std::vector<std::uint8_t>> recordings;
  for (const fs::path& input : *inputs_) recordings.push_back(FileBytes(input));
  const fs::path log = folder.scratch() / "calls.log";
  ASSERT_EQ(RunCli(args, {.log = log}).exitCode, 0);
  const auto clipSize = static_cast<rlim_t>(fs::file_size(out));
  fs::remove(out);
  const long middle = MiddleWrite(Calls(log));
  ASSERT_GT(middle, 0);

  const struct {
    const char* name;
    Faults faults;
    int signal;    // the signal that ends the run, or 0
    int exitCode;  // when it ends by itself
    const char* says;
  } cases[] = {
      {"killed", {.signalAt = middle, .signal = SIGKILL}, SIGKILL, -1, ""},
      {"terminated", {.signalAt = middle, .signal = SIGTERM}, SIGTERM, -1, ""},
      {"out of space", {.fileSizeLimit = clipSize / 2}, 0, 1, "File too large"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Ending ending = RunCli(args, c.faults);
    EXPECT_EQ(ending.signal, c.signal) << ending.errors;
    EXPECT_EQ(ending.exitCode, c.exitCode);
    EXPECT_NE(ending.errors.find(c.says), std::string::npos) << ending.errors;
    EXPECT_TRUE(Listing(folder.path()).empty());
    for (std::size_t i = 0; i < inputs_->size(); ++i) {
      EXPECT_TRUE(FileBytes((*inputs_)[i]) == recordings[i]) << i;
    }
  }
}

}  // namespace
