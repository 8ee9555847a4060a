// The snapshot command: the picture on show saved as a JPEG into a folder
// the user picks, named after the folder, the recording and the frame.
#include <QDir>
#include <QFileInfo>

#include "base/browse_for_folder.h"
#include "base/error_box.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "catalogue/snapshot_name.h"
#include "mainwnd/kestrel_dlg.h"

namespace {

constexpr int kFolderTitle = 102;  // "バックアップフォルダーを選択してください。"
constexpr int kSaveFailed = 100;  // "画像の保存に失敗しました。"
constexpr int kFileExists = 93;  // "同名のファイルが存在します。続行しますか？"
constexpr int kConfirm = 106;    // "確認"
constexpr int kDoneText = 48;    // "完了しました。"
constexpr int kDoneCaption = 49;  // "終了"

}  // namespace

void CommandRunner::OnSnapshot() {
  if (!dlg_.playback().NeedsOpenMovie()) return;
  dlg_.playback().PauseCurrent();
  dlg_.EnableAllControls(false);
  dlg_.repaint();
  const QString section = QStringLiteral("FOLDERPATH");
  const QString key = QStringLiteral("SNAPSHOT_FOLDER");
  const QString folder = BrowseForFolder(&dlg_, section, key, UiText(kFolderTitle));
  const int row = dlg_.fileList()->currentRow();
  const int frame = ops_.GetPosition(engine_);
  if (!folder.isEmpty()) {
    if (frame < 0 || row < 0 || row >= dlg_.fileList()->entryCount()) {
      ShowErrorBox(&dlg_, UiText(kSaveFailed));
    } else {
      const FileEntry& entry = dlg_.fileList()->entries()[row];
      const std::string name = SnapshotFileName(QFileInfo(folder).fileName().toStdString(),
                                                entry.name, entry.reserved, entry.serial, frame);
      const QString path = QDir(folder).filePath(QString::fromStdString(name));
      if (!QFileInfo::exists(path) || AskOkCancel(&dlg_, UiText(kFileExists), UiText(kConfirm))) {
        if (ops_.SaveSnapshot(engine_, path)) {
          WriteIniString(section, key, folder);
          ShowMessageBox(&dlg_, UiText(kDoneText), UiText(kDoneCaption));
        } else {
          ShowErrorBox(&dlg_, UiText(kSaveFailed));
        }
      }
    }
  }
  dlg_.EnableAllControls(true);
  dlg_.repaint();
  dlg_.UpdateButtons();
}
