// The clip command: the stretch between the clip's marks, or the seconds
// around a moment, written as a recorder movie the user names, on the
// command worker with a progress bar.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "base/app_message.h"
#include "base/error_box.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "catalogue/recording_clip.h"
#include "mainwnd/kestrel_dlg.h"

namespace {

constexpr int kClipFailedText = 154;  // "クリップの書き出しに失敗しました。"

// The failure's message: ours, then the reason.
QString ClipFailureMessage(const std::string& why) {
  return why.empty() ? UiText(kClipFailedText)
                     : UiText(kClipFailedText) + u'\n' + QString::fromStdString(why);
}

// The clip's output, asked with the save dialog; "" when cancelled.
QString AskClipPath(QWidget* owner, const QString& proposal) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("mov"));
  dialog.setNameFilters({QStringLiteral("Movie Files(*.mov)"), QStringLiteral("All Files(*.*)")});
  dialog.selectFile(proposal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace

void CommandRunner::OnClipExport() { RunClip(dlg_.clipMarks().Stretch()); }

void CommandRunner::OnClipAround(const ClipMoment& moment) {
  const double before = ReadClipSeconds(QStringLiteral("BEFORE_SECONDS"), kClipBeforeSeconds);
  const double after = ReadClipSeconds(QStringLiteral("AFTER_SECONDS"), kClipAfterSeconds);
  RunClip(StretchAround(dlg_.clipMarks().SourceRecordings(), moment, before, after));
}

void CommandRunner::RunClip(const StretchResult& stretch) {
  if (commandRunning_ || dlg_.controlsDisabledByCommand()) return;
  dlg_.playback().PauseCurrent();
  if (stretch.error != ClipError::kNone) {
    ShowErrorBox(&dlg_, ClipFailureMessage(stretch.why));
    return;
  }
  BeginCommand();
  const QString proposal =
      QDir(ReadIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("CLIP_FOLDER")))
          .filePath(QString::fromStdString(ProposedClipName(stretch.stretch)));
  const QString output = AskClipPath(&dlg_, proposal);
  if (output.isEmpty()) {
    EndCommandBeforeWork();
    return;
  }
  const std::filesystem::path outputPath = QFile::encodeName(output).toStdString();
  StartCommandWorker([this, clip = stretch.stretch, outputPath, output] {
    WindowMessageSink sink(&dlg_);
    ClipOptions options;
    options.sink = &sink;
    options.running = &commandRunning_;
    // WriteClip posts the finished message; the UI thread reads the result
    // once it arrives and this thread has ended.
    const ClipResult result = WriteClip(clip, outputPath, options);
    std::lock_guard lock(workOutcomeMutex_);
    if (result.error == ClipError::kNone) {
      workOutcome_.rememberKey = QStringLiteral("CLIP_FOLDER");
      workOutcome_.rememberFolder = QFileInfo(output).absolutePath();
      workOutcome_.done = true;
    } else if (result.error != ClipError::kCancelled) {
      workOutcome_.errorText = ClipFailureMessage(result.why);
    }
  });
}
