#include "catalogue/csv_export.h"

#include <ctime>

#include "catalogue/csv_line.h"
#include "catalogue/locale_text.h"
#include "catalogue/output_file.h"
#include "catalogue/recorder_clock.h"
#include "container/movie_file.h"
#include "container/sensor_track.h"

namespace {

// The recording's start, plus the offset of the recorder's clock: found
// with records gives the time; found with no records gives an empty time;
// not found gives nothing.
std::optional<std::optional<std::tm>> RecordingStart(MovieFile& movie, std::int64_t offsetSeconds) {
  const std::optional<CalendarTime> start = movie.RecordingStart();
  if (!start) return std::nullopt;
  return CorrectedLocalTime(*start, offsetSeconds);
}

CsvResult Fail(CsvError error, std::string why) {
  CsvResult result;
  result.error = error;
  result.why = std::move(why);
  return result;
}

// The recording's line (UTF-8); nothing when its details cannot be read.
std::optional<std::string> RecordingLine(const FileEntry& entry, std::int64_t offsetSeconds) {
  TrackHeader header;
  SensorTrack track;
  track.LoadHeader(entry.path, &header);
  const std::unique_ptr<MovieFile> movie = MovieFile::Open(entry.path, false);
  if (!movie) return std::nullopt;
  const MovieFile::FrameSize size = movie->GetFrameSize();
  if (size.width < 0) return std::nullopt;
  const auto start = RecordingStart(*movie, offsetSeconds);
  if (!start) return std::nullopt;
  CsvDetails details;
  details.start = *start;
  details.height = size.height;
  details.frameCount = movie->FrameCount();
  details.frameRate = movie->FrameRate();
  details.quality = header.quality;
  details.fileSize = movie->totalSize;
  return CsvRecordingLine(entry.name, details);
}

}  // namespace

std::optional<std::filesystem::path> CsvFileName(const std::vector<FileEntry>& entries,
                                                 const std::filesystem::path& folder,
                                                 std::int64_t offsetSeconds) {
  for (const FileEntry& entry : entries) {
    const std::unique_ptr<MovieFile> movie = MovieFile::Open(entry.path, false);
    const auto start = movie ? RecordingStart(*movie, offsetSeconds) : std::nullopt;
    if (!start) continue;              // unreadable: it is left out
    if (!*start) return std::nullopt;  // read, but without records
    char name[64];
    if (std::strftime(name, sizeof name, "Dv_%Y%m%d_%H%M%S.csv", &**start) == 0)
      return std::nullopt;
    return folder / name;
  }
  return std::nullopt;
}

bool CsvExists(const std::vector<FileEntry>& entries, const std::filesystem::path& folder,
               std::int64_t offsetSeconds) {
  const std::optional<std::filesystem::path> path = CsvFileName(entries, folder, offsetSeconds);
  std::error_code error;
  return !path || std::filesystem::exists(*path, error) || error;
}

std::string CsvLine(const FileEntry& entry, std::int64_t offsetSeconds) {
  return RecordingLine(entry, offsetSeconds).value_or(CsvPlaceholderLine(entry.name));
}

CsvResult ExportCsv(const std::vector<FileEntry>& entries, const std::filesystem::path& folder,
                    const CsvOptions& options) {
  const auto finish = [&](CsvResult result) {
    if (options.sink != nullptr) {
      options.sink->Post(CsvOptions::kFinished, 0, result.file.empty() ? 0 : 1);
    }
    return result;
  };
  if (entries.empty()) return finish(Fail(CsvError::kNoRecordings, "no recordings to list"));
  const std::optional<std::filesystem::path> path =
      CsvFileName(entries, folder, options.offsetSeconds);
  if (!path) {
    return finish(Fail(CsvError::kCannotCreate, "no recording's start time can name the list"));
  }
  const std::optional<std::string> header = ToLocaleText(CsvHeaderLine());
  OutputFile file;
  std::string why;
  if (!file.Create(*path, why) || !header || !file.Write(*header, why)) {
    return finish(Fail(CsvError::kCannotCreate, why));
  }

  CsvResult result;
  const auto count = static_cast<std::intptr_t>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (options.running != nullptr && !options.running->load()) {
      result.error = CsvError::kCancelled;
      result.why = "cancelled";
      break;
    }
    std::optional<std::string> line = RecordingLine(entries[i], options.offsetSeconds);
    if (!line) {
      result.unreadable.push_back(entries[i].path);
      line = CsvPlaceholderLine(entries[i].name);
    }
    line = ToLocaleText(*line);
    if (!line) {
      // The lines written so far stay in the file.
      result.error = CsvError::kCannotCreate;
      result.why = entries[i].name + ": the line has no form in " + LocaleCharset();
      break;
    }
    if (!file.Write(*line, why)) return finish(Fail(CsvError::kCannotCreate, why));
    if (options.sink != nullptr) {
      options.sink->Post(CsvOptions::kProgress, static_cast<std::intptr_t>(i), count);
    }
  }
  if (!file.Commit(why)) return finish(Fail(CsvError::kCannotCreate, why));
  result.file = *path;
  if (options.sink != nullptr && result.error == CsvError::kNone) {
    options.sink->Post(CsvOptions::kProgress, count, count);
  }
  if (options.rememberFolder) options.rememberFolder(folder);
  return finish(result);
}

std::string_view CsvFailureText(CsvError error) {
  switch (error) {
    case CsvError::kNoRecordings:
      return "動画ファイルがありません。";
    case CsvError::kCannotCreate:
      return "CSVファイルが作成できません。";
    default:
      return "";
  }
}
