// The GPX export of the open source: the route of every recording of the
// card, folder or file that is listed, written as one GPX file the user
// names, on the command worker with progress. Times are UTC from the zone
// the recorder's clock is in ("DISPLAY"/"TIME_ZONE").
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "base/app_message.h"
#include "base/error_box.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "catalogue/gpx_export.h"
#include "catalogue/source_entries.h"
#include "container/sensor_track.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"

namespace {

constexpr int kFailedText = 236;  // "GPXファイルの出力に失敗しました。"
constexpr int kLeftOutText = 237;  // "次の録画は読み込めないため、出力しませんでした。"

// The output, asked with the save dialog in the folder of the last export;
// "" when cancelled.
QString AskGpxPath(QWidget* owner, const QString& sourcePath) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("gpx"));
  dialog.setNameFilters({QStringLiteral("GPX Files(*.gpx)"), QStringLiteral("All Files(*.*)")});
  const QDir folder(ReadIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("GPX_FOLDER")));
  const QFileInfo source(sourcePath);
  dialog.selectFile(
      folder.filePath((source.isDir() ? source.fileName() : source.completeBaseName()) + ".gpx"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace

void CommandRunner::OnGpxExport() {
  const QString source = dlg_.filer()->sourcePath();
  if (source.isEmpty() || dlg_.fileList()->entryCount() == 0) return;
  BeginCommand();
  const QString output = AskGpxPath(&dlg_, source);
  if (output.isEmpty()) {
    EndCommandBeforeWork();
    return;
  }
  const std::filesystem::path sourcePath = QFile::encodeName(source).toStdString();
  const std::filesystem::path outputPath = QFile::encodeName(output).toStdString();
  const GpxOptions options{.offsetSeconds = ReadTimeOffset()};
  ShowProgressBar(true);
  StartCommandWorker([this, sourcePath, outputPath, options] {
    Catalogue catalogue;
    const std::vector<FileEntry> entries = CollectSource(catalogue, sourcePath);
    const auto total = static_cast<std::intptr_t>(entries.size());
    // A recording that cannot be read is left out and named; the others
    // are written.
    std::vector<GpxTrack> tracks;
    std::vector<std::filesystem::path> unreadable;
    for (std::size_t i = 0; i < entries.size() && commandRunning_; ++i) {
      GpxTrack track{entries[i].name, {}};
      if (SensorTrack::LoadRoute(std::span(&entries[i].path, 1), &track.positions)) {
        tracks.push_back(std::move(track));
      } else {
        unreadable.push_back(entries[i].path);
      }
      PostAppMessage(&dlg_, WM_APP_WORK_PROGRESS, static_cast<std::intptr_t>(i + 1), total);
    }
    std::string why;
    const bool cancelled = !commandRunning_;
    const bool ok = !cancelled && !tracks.empty() && WriteGpx(tracks, outputPath, options, why);
    {
      std::lock_guard lock(workOutcomeMutex_);
      if (ok) {
        workOutcome_.rememberKey = QStringLiteral("GPX_FOLDER");
        workOutcome_.rememberFolder = QFile::decodeName(outputPath.parent_path().c_str());
        workOutcome_.done = true;
        if (!unreadable.empty()) {
          workOutcome_.errorText = LeftOutMessage(UiText(kLeftOutText), unreadable);
        }
      } else if (!cancelled) {
        workOutcome_.errorText = UiText(kFailedText);
      }
    }
    commandRunning_ = false;
    PostAppMessage(&dlg_, WM_APP_WORK_DONE, 0, 0);
  });
}
