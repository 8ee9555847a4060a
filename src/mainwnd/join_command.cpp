// The join command: recordings of the card ticked in the check-list are
// joined into one movie, on the command worker, with a progress bar.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <algorithm>

#include "base/app_message.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/file_select_dlg.h"
#include "catalogue/recording_join.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/movie_path_dialog.h"
#include "player/player_engine.h"

namespace {

constexpr int kJoinText = 44;         // "動画連結"
constexpr int kJoinFailedText = 95;   // "動画の連結に失敗しました。"
constexpr int kSizeOverText = 139;    // "サイズオーバーです。"
constexpr int kFewerFilesText = 142;  // "ファイル数を減らしてください。"

// The failure's message in the window's wording.
QString JoinFailureMessage(JoinError error) {
  if (error == JoinError::kSizeOver || error == JoinError::kTooManyRecords) {
    return UiText(kSizeOverText) + UiText(kFewerFilesText);
  }
  return UiText(kJoinFailedText);
}

}  // namespace

void CommandRunner::RewindForWork() {
  if (engine_->engineReady != 0) ops_.SetRate(engine_, 1);
  ops_.SetVolume(engine_, dlg_.playback().volumeLevel());
  dlg_.playback().UpdateRateLabel();
  ops_.SeekToFrameAlt(engine_, 0);
  dlg_.playback().SyncViewsToFrame(0);
  dlg_.playback().StopCurrent();
  dlg_.SetPlayButtonLook(false);
  engine::ClearTrackCache(engine_);
}

void CommandRunner::OnJoin() {
  if (dlg_.playback().NearEndOfMovie()) return;
  RewindForWork();
  rewindAfterWork_ = true;
  BeginCommand();

  // A recording cut short cannot be joined: it is not offered.
  const std::vector<FileEntry> playable = dlg_.fileList()->PlayableEntries();
  CFileSelectDlg select(playable, &dlg_);
  select.setWindowTitle(UiText(kJoinText));
  select.okButton()->setText(UiText(kJoinText));
  if (const int row = dlg_.fileList()->currentRow(); row >= 0) {
    const std::filesystem::path& current =
        dlg_.fileList()->entries()[static_cast<std::size_t>(row)].path;
    const auto at = std::find_if(playable.begin(), playable.end(),
                                 [&](const FileEntry& entry) { return entry.path == current; });
    if (at != playable.end()) select.SetTicked(static_cast<int>(at - playable.begin()), true);
  }
  const std::vector<FileEntry> ticked =
      select.exec() == QDialog::Accepted ? select.Ticked() : std::vector<FileEntry>{};
  const QString proposal =
      ticked.empty()
          ? QString()
          : QDir(ReadIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("CONNECT_FOLDER")))
                .filePath(QString::fromStdString(ticked.front().name));
  const QString output = ticked.empty()
                             ? QString()
                             : AskMoviePath(&dlg_, QFileDialog::AcceptSave, QString(), proposal);
  if (output.isEmpty()) {
    rewindAfterWork_ = false;
    EndCommandBeforeWork();
    return;
  }
  std::vector<std::filesystem::path> inputs;
  for (const FileEntry& entry : ticked) inputs.push_back(entry.path);
  StartCommandWorker([this, inputs, output] {
    WindowMessageSink sink(&dlg_);
    JoinOptions options;
    options.sink = &sink;
    options.running = &commandRunning_;
    // The result is read by the UI thread once the finished message
    // arrives and this thread has ended.
    const JoinResult result = Join(inputs, output.toStdString(), options);
    std::lock_guard lock(workOutcomeMutex_);
    if (result.error == JoinError::kNone) {
      workOutcome_.rememberKey = QStringLiteral("CONNECT_FOLDER");
      workOutcome_.rememberFolder = QFileInfo(output).absolutePath();
      workOutcome_.done = true;
    } else if (result.error != JoinError::kCancelled) {
      workOutcome_.errorText = JoinFailureMessage(result.error);
    }
    if (!result.firstOpened) workOutcome_.clearRewind = true;
  });
}
