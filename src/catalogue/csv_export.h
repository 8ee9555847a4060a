#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/file_entry.h"
#include "container/message_sink.h"

// The CSV list of a source's recordings: "Dv_%Y%m%d_%H%M%S.csv", named after
// the first recording's start, one line per recording, in the locale's
// character set with CR LF line ends and no byte-order mark.

// The list's path in `folder`, named after the start of the first
// recording that can be read (the unreadable ones before it are passed
// over); nothing when it has no records or none can be read. `offsetSeconds` is added to the recorder's clock, here
// and in the lines.
std::optional<std::filesystem::path> CsvFileName(const std::vector<FileEntry>& entries,
                                                 const std::filesystem::path& folder,
                                                 std::int64_t offsetSeconds = 0);

// False only when the name can be formed and no file of that path exists;
// the caller asks before overwriting otherwise.
bool CsvExists(const std::vector<FileEntry>& entries, const std::filesystem::path& folder,
               std::int64_t offsetSeconds = 0);

// The recording's line (UTF-8), or the placeholder line when its details
// cannot be read.
std::string CsvLine(const FileEntry& entry, std::int64_t offsetSeconds = 0);

enum class CsvError {
  kNone,
  kNoRecordings,  // "動画ファイルがありません。"
  kCannotCreate,  // "CSVファイルが作成できません。"
  kCancelled,     // the lines written so far stay in the file
};

struct CsvResult {
  CsvError error = CsvError::kNone;
  std::filesystem::path file;  // the list's path once it was created
  std::string why;             // one line for a terminal; empty on success
  // The recordings whose details could not be read: each has the
  // placeholder line, and the export is not whole.
  std::vector<std::filesystem::path> unreadable;
};

struct CsvOptions {
  static constexpr int kProgress = 0x8517;  // wParam line index, lParam count
  static constexpr int kFinished = 0x8516;  // lParam 1 when the file was created

  MessageSink* sink = nullptr;
  // Cleared by the caller to cancel; looked at before each line.
  const std::atomic<bool>* running = nullptr;
  // Seconds added to the recorder's clock.
  std::int64_t offsetSeconds = 0;
  // Told the output folder after the export.
  std::function<void(const std::filesystem::path&)> rememberFolder;
};

// Writes the list of `entries` into `folder`. The file is written under a
// temporary name and renamed into place when the export ends; a file that
// cannot be written whole (a full disk) leaves nothing behind and an older
// list of the same name as it was.
CsvResult ExportCsv(const std::vector<FileEntry>& entries, const std::filesystem::path& folder,
                    const CsvOptions& options = {});

// The message the user sees for a failed export (UTF-8).
std::string_view CsvFailureText(CsvError error);
