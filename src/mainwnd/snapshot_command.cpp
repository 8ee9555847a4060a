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

void CKestrelDlg::OnSnapshot() {
  if (!NeedsOpenMovie()) return;
  PauseCurrent();
  EnableAllControls(false);
  repaint();
  const QString section = QStringLiteral("FOLDERPATH");
  const QString key = QStringLiteral("SNAPSHOT_FOLDER");
  const QString folder = BrowseForFolder(this, section, key, UiText(kFolderTitle));
  const int row = fileList_->currentRow();
  const int frame = ops_.GetPosition(engine_.get());
  if (!folder.isEmpty()) {
    if (frame < 0 || row < 0 || row >= fileList_->entryCount()) {
      ShowErrorBox(this, UiText(kSaveFailed));
    } else {
      const FileEntry& entry = fileList_->entries()[row];
      const std::string name = SnapshotFileName(QFileInfo(folder).fileName().toStdString(),
                                                entry.name, entry.reserved, entry.serial, frame);
      const QString path = QDir(folder).filePath(QString::fromStdString(name));
      if (!QFileInfo::exists(path) || AskOkCancel(this, UiText(kFileExists), UiText(kConfirm))) {
        if (ops_.SaveSnapshot(engine_.get(), path)) {
          WriteIniString(section, key, folder);
          ShowMessageBox(this, UiText(kDoneText), UiText(kDoneCaption));
        } else {
          ShowErrorBox(this, UiText(kSaveFailed));
        }
      }
    }
  }
  EnableAllControls(true);
  repaint();
  UpdateButtons();
}
