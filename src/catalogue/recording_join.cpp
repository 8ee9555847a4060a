#include "catalogue/recording_join.h"

#include <sys/statvfs.h>

#include <memory>

#include "catalogue/join_merge.h"
#include "catalogue/join_writer.h"
#include "catalogue/recording_check.h"
#include "container/movie_file.h"

namespace {

std::optional<std::uint64_t> StatvfsFreeSpace(const std::filesystem::path& folder) {
  struct statvfs info {};
  if (statvfs(folder.c_str(), &info) != 0) return std::nullopt;
  return std::uint64_t{info.f_bavail} * info.f_frsize;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  return std::filesystem::weakly_canonical(a, error) == std::filesystem::weakly_canonical(b, error);
}

// One recording taking part in the join, open until the output is written.
struct Part {
  std::unique_ptr<MovieFile> movie;
  JoinAtoms atoms;
};

bool OpenPart(const std::filesystem::path& path, Part& part, std::string& why) {
  std::string error;
  part.movie = MovieFile::Open(path, /*examineRoot=*/true, &error);
  if (!part.movie) {
    why = path.string() + ": " + error;
    return false;
  }
  if (!FindJoinAtoms(*part.movie, part.atoms, error)) {
    why = path.string() + ": " + error;
    return false;
  }
  return true;
}

JoinResult Fail(JoinResult result, JoinError error, std::string why) {
  result.error = error;
  result.why = std::move(why);
  return result;
}

JoinResult RunJoin(const std::vector<std::filesystem::path>& inputs,
                   const std::filesystem::path& output, const JoinOptions& options) {
  JoinResult result;
  if (inputs.empty()) return Fail(result, JoinError::kFailed, "no recordings to join");
  std::uint64_t total = 0;
  for (const std::filesystem::path& input : inputs) {
    if (SameFile(input, output)) {
      return Fail(result, JoinError::kFailed, "the output is one of the recordings to join");
    }
    if (!IsRecording(input)) {
      return Fail(
          result, JoinError::kFailed,
          input.string() +
              ": cannot be read or is not a recorder movie (one begins with a file type atom "
              "and ends with the closing marker CSMEND)");
    }
    std::error_code error;
    total += std::filesystem::file_size(input, error);
    if (error) return Fail(result, JoinError::kFailed, input.string() + ": " + error.message());
  }
  const std::filesystem::path folder = output.parent_path().empty() ? "." : output.parent_path();
  std::error_code folderError;
  if (!std::filesystem::is_directory(folder, folderError)) {
    return Fail(result, JoinError::kFailed,
                "the output folder " + folder.string() +
                    (std::filesystem::exists(folder, folderError) ? " is not a folder"
                                                                  : " does not exist"));
  }
  const auto freeSpace = options.freeSpace ? options.freeSpace(folder) : StatvfsFreeSpace(folder);
  if (!freeSpace || total >= *freeSpace) {
    return Fail(result, JoinError::kFailed, "not enough free space in " + folder.string());
  }

  std::vector<Part> parts(inputs.size());
  std::string why;
  if (!OpenPart(inputs[0], parts[0], why)) {
    result.firstOpened = parts[0].movie != nullptr;
    return Fail(result, JoinError::kFailed, why);
  }
  result.firstOpened = true;
  const auto count = static_cast<std::intptr_t>(inputs.size());
  for (std::size_t j = 1; j < inputs.size(); ++j) {
    if (options.running != nullptr && !options.running->load()) {
      return Fail(result, JoinError::kCancelled, "cancelled");
    }
    if (!OpenPart(inputs[j], parts[j], why)) return Fail(result, JoinError::kFailed, why);
    if (!Merge(parts[0].atoms, parts[j].atoms, why)) {
      return Fail(result, JoinError::kFailed, inputs[j].string() + ": " + why);
    }
    if (options.sink != nullptr) {
      options.sink->Post(JoinOptions::kProgress,
                         static_cast<std::intptr_t>(static_cast<double>(j) * 0.99), count);
    }
  }

  switch (CheckJoinedTree(parts[0].movie->root, parts[0].atoms)) {
    case JoinLimit::kNone:
      break;
    case JoinLimit::kSizeOver:
      return Fail(result, JoinError::kSizeOver, "the joined movie would pass 4 GiB");
    case JoinLimit::kTooManyRecords:
      return Fail(result, JoinError::kTooManyRecords,
                  "the joined sensor track would pass 65535 records");
    case JoinLimit::kMediaMoved:
      return Fail(result, JoinError::kFailed,
                  "the first recording's media does not follow its file type atom");
  }
  bool cancelled = false;
  if (!WriteRecordingTree(parts[0].movie->root, output, options.running, cancelled, why)) {
    return Fail(result, cancelled ? JoinError::kCancelled : JoinError::kFailed, why);
  }
  if (options.sink != nullptr) options.sink->Post(JoinOptions::kProgress, count, count);
  if (options.rememberFolder) options.rememberFolder(folder);
  return result;
}

}  // namespace

JoinResult Join(const std::vector<std::filesystem::path>& inputs,
                const std::filesystem::path& output, const JoinOptions& options) {
  JoinResult result = RunJoin(inputs, output, options);
  if (options.sink != nullptr)
    options.sink->Post(JoinOptions::kFinished, 0, result.firstOpened ? 1 : 0);
  return result;
}

std::string_view JoinFailureText(JoinError error) {
  switch (error) {
    case JoinError::kNone:
      return "";
    case JoinError::kSizeOver:
    case JoinError::kTooManyRecords:
      return "サイズオーバーです。ファイル数を減らしてください。";
    default:
      return "動画の連結に失敗しました。";
  }
}
