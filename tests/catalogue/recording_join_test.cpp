#include "catalogue/recording_join.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "catalogue/recording_check.h"
#include "generated_card.h"
#include "recorder_file_stub.h"

namespace {

namespace fs = std::filesystem;

// The sensor payload of a recorder file: "CSMDAT", header, count, records.
struct SensorPayload {
  std::uint32_t atomSize = 0;
  std::uint32_t count = 0;
  std::vector<std::uint8_t> records;
};

SensorPayload ReadSensorPayload(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = FileBytes(path);
  std::uint64_t at = 0;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t size =
        (bytes[at] << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
    if (size < 8) break;
    if (std::string(bytes.begin() + at + 4, bytes.begin() + at + 8) == "udat") {
      SensorPayload payload;
      payload.atomSize = size;
      payload.count = (bytes[at + 40] << 8) | bytes[at + 41];
      payload.records.assign(bytes.begin() + at + 42,
                             bytes.begin() + at + 42 + payload.count * 124);
      return payload;
    }
    at += size;
  }
  return {};
}

// The MD5 of every decoded video frame, in order.
std::vector<std::string> FrameDigests(const fs::path& movie) {
  const std::string text = RunTool(
      {"ffmpeg", "-v", "error", "-i", movie.string(), "-map", "0:v", "-f", "framemd5", "-"});
  std::vector<std::string> digests;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] != '#') digests.push_back(line.substr(line.rfind(',') + 1));
  }
  return digests;
}

// Reads one value of a stream or of the format; packets are counted over
// the whole track, edit list or not.
std::string Probe(const fs::path& movie, const std::string& stream, const std::string& entry) {
  return RunTool({"ffprobe", "-v", "error", "-ignore_editlist", "1", "-select_streams", stream,
                  "-count_packets", "-show_entries", entry, "-of", "default=nw=1:nk=1",
                  movie.string()});
}

bool FolderHoldsOnly(const fs::path& folder, std::size_t count) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {})) == count;
}

class RecordingJoin : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    card_ = new TempDir();
    recordings_ = GenerateRecordings(
        card_->path() / "card",
        {"--folders", "1", "--files", "3", "--seconds", "2", "--size", "160x120", "--seed", "7"});
  }
  static void TearDownTestSuite() { delete card_; }

  static TempDir* card_;
  static std::vector<fs::path> recordings_;
  TempDir out_;
};
TempDir* RecordingJoin::card_ = nullptr;
std::vector<fs::path> RecordingJoin::recordings_;

TEST_F(RecordingJoin, JoinedMoviePlaysTheInputsInOrderWithOneSensorTrack) {
  ASSERT_EQ(recordings_.size(), 3u);
  for (const std::vector<fs::path>& inputs : {recordings_, std::vector<fs::path>{recordings_[1]}}) {
    const fs::path output = out_.path() / "joined.MOV";
    const JoinResult result = Join(inputs, output);
    ASSERT_EQ(result.error, JoinError::kNone) << result.why;
    EXPECT_TRUE(IsRecording(output));
    EXPECT_TRUE(FolderHoldsOnly(out_.path(), 1));  // no temporary file left

    // ffmpeg decodes it without a word, frame for frame the inputs' frames.
    EXPECT_EQ(RunTool({"ffmpeg", "-v", "warning", "-i", output.string(), "-f", "null", "-"}), "");
    std::vector<std::string> expected;
    int audioPackets = 0;
    std::vector<std::uint8_t> records;
    for (const fs::path& input : inputs) {
      const std::vector<std::string> digests = FrameDigests(input);
      expected.insert(expected.end(), digests.begin(), digests.end());
      audioPackets += std::stoi(Probe(input, "a", "stream=nb_read_packets"));
      const SensorPayload payload = ReadSensorPayload(input);
      records.insert(records.end(), payload.records.begin(), payload.records.end());
    }
    EXPECT_EQ(FrameDigests(output), expected);
    // Each further recording's priming packet is left out at its seam.
    EXPECT_EQ(std::stoi(Probe(output, "a", "stream=nb_read_packets")),
              audioPackets - static_cast<int>(inputs.size() - 1));
    EXPECT_NEAR(std::stod(Probe(output, "v", "format=duration")),
                2.0 * static_cast<double>(inputs.size()), 1.0 / 30);

    const SensorPayload joined = ReadSensorPayload(output);
    EXPECT_EQ(joined.count, 20u * inputs.size());
    EXPECT_EQ(joined.atomSize, 8 + 40 + 124 * joined.count);
    EXPECT_TRUE(joined.records == records);
    fs::remove(output);
  }
}

TEST_F(RecordingJoin, SensorCountsAddUp) {
  const auto first =
      GenerateRecordings(out_.path() / "a", {"--folders", "1", "--files", "1", "--seconds", "1",
                                             "--size", "160x120", "--records", "600"});
  const auto second = GenerateRecordings(
      out_.path() / "b", {"--folders", "1", "--files", "1", "--seconds", "1", "--size", "160x120",
                          "--records", "900", "--seed", "2"});
  const fs::path output = out_.path() / "joined.MOV";
  ASSERT_EQ(Join({first[0], second[0]}, output).error, JoinError::kNone);
  const SensorPayload joined = ReadSensorPayload(output);
  EXPECT_EQ(joined.count, 1500u);
  EXPECT_EQ(joined.atomSize, 8u + 40 + 124 * 1500);
}

TEST_F(RecordingJoin, RefusesTooManyRecordsBeforeWriting) {
  const auto big =
      GenerateRecordings(out_.path() / "big", {"--folders", "1", "--files", "2", "--seconds", "1",
                                               "--size", "160x120", "--records", "40000"});
  const fs::path output = out_.path() / "joined.MOV";
  const JoinResult result = Join(big, output);
  EXPECT_EQ(result.error, JoinError::kTooManyRecords);
  EXPECT_EQ(JoinFailureText(result.error), "サイズオーバーです。ファイル数を減らしてください。");
  EXPECT_FALSE(fs::exists(output));
}

// Grows a recording's media by `extra` bytes of hole (no disk space used):
// its header says so, the samples stay where they were.
fs::path WithHugeMedia(const fs::path& recording, const fs::path& copy, std::uint64_t extra) {
  std::vector<std::uint8_t> bytes = FileBytes(recording);
  const std::uint64_t mdat =
      8 + ((bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]) - 8;
  const std::uint32_t size =
      (bytes[mdat] << 24) | (bytes[mdat + 1] << 16) | (bytes[mdat + 2] << 8) | bytes[mdat + 3];
  const std::uint64_t grown = size + extra;
  for (int i = 0; i < 4; ++i) bytes[mdat + i] = static_cast<std::uint8_t>(grown >> (24 - 8 * i));
  const int fd = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  EXPECT_EQ(pwrite(fd, bytes.data(), mdat + size, 0), static_cast<ssize_t>(mdat + size));
  const std::uint64_t rest = bytes.size() - mdat - size;
  EXPECT_EQ(pwrite(fd, bytes.data() + mdat + size, rest, static_cast<off_t>(mdat + size + extra)),
            static_cast<ssize_t>(rest));
  close(fd);
  return copy;
}

TEST_F(RecordingJoin, RefusesAnOutputPast4GiB) {
  const std::uint64_t hole = std::uint64_t{2200} << 20;
  const fs::path a = WithHugeMedia(recordings_[0], out_.path() / "a.MOV", hole);
  const fs::path b = WithHugeMedia(recordings_[1], out_.path() / "b.MOV", hole);
  const JoinResult result =
      Join({a, b}, out_.path() / "joined.MOV",
           {.freeSpace = [](const fs::path&) { return std::optional<std::uint64_t>(UINT64_MAX); }});
  EXPECT_EQ(result.error, JoinError::kSizeOver) << result.why;
  EXPECT_FALSE(fs::exists(out_.path() / "joined.MOV"));
}

TEST_F(RecordingJoin, FreeSpaceMustExceedTheInputs) {
  std::uint64_t total = 0;
  for (const fs::path& input : recordings_) total += fs::file_size(input);
  for (const auto& [space, expected] : std::map<std::uint64_t, JoinError>{
           {total, JoinError::kFailed}, {total + 1, JoinError::kNone}}) {
    const fs::path output = out_.path() / "joined.MOV";
    const JoinResult result = Join(recordings_, output, {.freeSpace = [space](const fs::path&) {
                                     return std::optional<std::uint64_t>(space);
                                   }});
    EXPECT_EQ(result.error, expected) << space;
    EXPECT_EQ(fs::exists(output), expected == JoinError::kNone);
    fs::remove(output);
  }
  // A folder that is not there is not taken for a full disk.
  std::ofstream(out_.path() / "plain").put('x');
  for (const auto& [folder, said] : std::map<std::string, std::string>{
           {"missing", "does not exist"}, {"plain", "is not a folder"}}) {
    const JoinResult result = Join(recordings_, out_.path() / folder / "joined.MOV");
    EXPECT_EQ(result.error, JoinError::kFailed) << folder;
    EXPECT_NE(result.why.find(said), std::string::npos) << result.why;
  }
}

// Runs an action on the first progress message of a join.
class ActingSink : public MessageSink {
 public:
  explicit ActingSink(std::function<void()> action) : action_(std::move(action)) {}
  void Post(int message, std::intptr_t wParam, std::intptr_t lParam) override {
    messages.push_back({message, wParam, lParam});
    if (action_) std::exchange(action_, nullptr)();
  }
  std::vector<std::array<std::intptr_t, 3>> messages;

 private:
  std::function<void()> action_;
};

TEST_F(RecordingJoin, ReportsProgressAndRemembersTheFolder) {
  ActingSink sink(nullptr);
  fs::path remembered;
  const JoinResult result =
      Join(recordings_, out_.path() / "joined.MOV",
           {.sink = &sink, .rememberFolder = [&](const fs::path& folder) { remembered = folder; }});
  ASSERT_EQ(result.error, JoinError::kNone);
  EXPECT_EQ(remembered, out_.path());
  const std::vector<std::array<std::intptr_t, 3>> expected = {
      {0x8517, 0, 3}, {0x8517, 1, 3}, {0x8517, 3, 3}, {0x8516, 0, 1}};
  EXPECT_EQ(sink.messages, expected);
}

TEST_F(RecordingJoin, FailuresLeaveNothingBehind) {
  // An existing file at the output stays as it was through every failure.
  const fs::path output = out_.path() / "joined.MOV";
  std::ofstream(output) << "keep me";
  const auto check = [&](const JoinResult& result, JoinError expected) {
    EXPECT_EQ(result.error, expected) << result.why;
    EXPECT_EQ(FileBytes(output), std::vector<std::uint8_t>({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    EXPECT_TRUE(FolderHoldsOnly(out_.path(), 1));
  };

  std::atomic<bool> running{false};
  ActingSink sink(nullptr);
  check(Join(recordings_, output, {.sink = &sink, .running = &running}), JoinError::kCancelled);
  EXPECT_EQ(sink.messages.back(), (std::array<std::intptr_t, 3>{0x8516, 0, 1}));
  // Cancelled after the last merge, while the media are copied.
  running = true;
  ActingSink stopping([&] { running = false; });
  check(Join({recordings_[0], recordings_[1]}, output, {.sink = &stopping, .running = &running}),
        JoinError::kCancelled);

  // A recording deleted or cut after it was read, before its media is copied.
  for (bool cut : {false, true}) {
    const fs::path joinedVictim = out_.path() / "sub";
    fs::create_directories(joinedVictim);
    fs::copy_file(recordings_[1], joinedVictim / "victim.MOV");
    ActingSink damaging([&] {
      if (cut) {
        fs::resize_file(joinedVictim / "victim.MOV", 1000);
      } else {
        fs::remove(joinedVictim / "victim.MOV");
      }
    });
    const JoinResult result = Join({recordings_[0], joinedVictim / "victim.MOV", recordings_[2]},
                                   output, {.sink = &damaging});
    fs::remove_all(joinedVictim);
    check(result, JoinError::kFailed);
  }

  // Inputs that are no recorder movies, cut short, or the output itself.
  TempDir badCard;
  const auto bad = GenerateRecordings(
      badCard.path(),
      {"--folders", "1", "--files", "1", "--seconds", "1", "--size", "160x120", "--extras"});
  int tried = 0;
  for (const fs::path& input : bad) {
    if (IsRecording(input)) continue;  // the good one
    check(Join({recordings_[0], input}, output), JoinError::kFailed);
    ++tried;
  }
  EXPECT_GE(tried, 3);  // cut short, without "CSMEND", plain movie
  fs::copy_file(recordings_[0], out_.path() / "input.MOV");
  const JoinResult self = Join({out_.path() / "input.MOV"}, out_.path() / "input.MOV");
  EXPECT_EQ(self.error, JoinError::kFailed);
  EXPECT_EQ(FileBytes(out_.path() / "input.MOV"), FileBytes(recordings_[0]));
}

}  // namespace
