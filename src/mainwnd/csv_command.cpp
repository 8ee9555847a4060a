// The CSV export command: the list of the card's recordings written into a
// folder the user picks, on the command worker; the recording on show is
// closed meanwhile and reopened, paused at its frame, afterwards.
#include <QDir>

#include "base/app_message.h"
#include "base/browse_for_folder.h"
#include "base/error_box.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "catalogue/csv_export.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/player_engine.h"

namespace {

constexpr int kFolderTitle = 103;   // "出力先フォルダーを選択してください。"
constexpr int kNoRecordings = 101;  // "動画ファイルがありません。"
constexpr int kFileExists = 93;  // "同名のファイルが存在します。続行しますか？"
constexpr int kConfirm = 106;    // "確認"
constexpr int kLeftOutText = 238;  // "次の録画は読み込めないため、詳細なしで出力しました。"

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void CommandRunner::OnCsvExport() {
  if (dlg_.playback().NearEndOfMovie()) return;
  dlg_.playback().PauseCurrent();
  dlg_.playback().PrepareResume(true);
  engine::ClearTrackCache(engine_);
  BeginCommand();

  const QString key = QStringLiteral("CSV_FOLDER");
  const QString folder =
      BrowseForFolder(&dlg_, QStringLiteral("FOLDERPATH"), key, UiText(kFolderTitle));
  if (folder.isEmpty()) {
    dlg_.playback().PrepareResume(false);
    EndCommandBeforeWork();
    return;
  }
  std::vector<FileEntry> entries = dlg_.fileList()->PlayableEntries();
  const std::int64_t offset = ReadTimeOffset();
  // Nothing was closed yet: nothing to reopen when the command ends here.
  if (entries.empty()) {
    dlg_.playback().PrepareResume(false);
    dlg_.SetCsvExportAvailable(false);
    ShowErrorBox(&dlg_, UiText(kNoRecordings));
    EndCommandBeforeWork();
    return;
  }
  if (CsvExists(entries, folder.toStdString(), offset) &&
      !AskOkCancel(&dlg_, UiText(kFileExists), UiText(kConfirm))) {
    dlg_.playback().PrepareResume(false);
    EndCommandBeforeWork();
    return;
  }
  dlg_.playback().SetResumeFrame(ops_.GetPosition(engine_));
  dlg_.playback().CloseMovieForWork();
  StartCommandWorker([this, entries = std::move(entries), folder, key, offset] {
    WindowMessageSink sink(&dlg_);
    CsvOptions options;
    options.sink = &sink;
    options.running = &commandRunning_;
    options.offsetSeconds = offset;
    const CsvResult result = ExportCsv(entries, folder.toStdString(), options);
    std::lock_guard lock(workOutcomeMutex_);
    if (result.error == CsvError::kNone) {
      workOutcome_.rememberKey = key;
      workOutcome_.rememberFolder = folder;
      workOutcome_.done = true;
      if (!result.unreadable.empty()) {
        workOutcome_.errorText = LeftOutMessage(UiText(kLeftOutText), result.unreadable);
      }
    } else if (result.error != CsvError::kCancelled) {
      workOutcome_.errorText = FromUtf8(CsvFailureText(result.error));
    }
  });
}
