// The clip command: the stretch between the clip's marks, or the seconds
// around a moment, written as a recorder movie the user names, or rendered
// as an MP4 with the drive's data over the pictures, on the command worker
// with a progress bar.
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
#include "render/overlay_settings.h"

namespace {

constexpr int kClipFailedText = 154;  // "クリップの書き出しに失敗しました。"

// The failure's message: ours, then the reason.
QString ClipFailureMessage(const std::string& why) {
  return why.empty() ? UiText(kClipFailedText)
                     : UiText(kClipFailedText) + u'\n' + QString::fromStdString(why);
}

// The two forms a clip is saved in, chosen by the save dialog's file type.
constexpr int kLosslessForm = 166;  // "元の形式（無劣化）"
constexpr int kRenderedForm = 167;  // "MP4（データ表示付き）"

struct ClipOutput {
  QString path;           // "" when cancelled
  bool rendered = false;  // an MP4 with the drive's data drawn over the pictures
};

// The clip's output and its form, asked with the save dialog.
ClipOutput AskClipPath(QWidget* owner, const QString& proposal) {
  const QString lossless = UiText(kLosslessForm) + QStringLiteral(" (*.mov *.MOV)");
  const QString rendered = UiText(kRenderedForm) + QStringLiteral(" (*.mp4)");
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({lossless, rendered});
  dialog.setDefaultSuffix(QStringLiteral("mov"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog, rendered](const QString& filter) {
                     dialog.setDefaultSuffix(filter == rendered ? QStringLiteral("mp4")
                                                                       : QStringLiteral("mov"));
                   });
  dialog.selectFile(proposal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  // A name typed with ".mp4" asks for the MP4 too.
  const QString path = dialog.selectedFiles().front();
  return {path, dialog.selectedNameFilter() == rendered ||
                    path.endsWith(QStringLiteral(".mp4"), Qt::CaseInsensitive)};
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
  const ClipOutput chosen = AskClipPath(&dlg_, proposal);
  const QString output = chosen.path;
  if (output.isEmpty()) {
    EndCommandBeforeWork();
    return;
  }
  const std::filesystem::path outputPath = QFile::encodeName(output).toStdString();
  RenderOptions renderOptions;
  if (chosen.rendered) renderOptions = RenderOptionsFromSettings();
  StartCommandWorker([this, clip = stretch.stretch, outputPath, output, rendered = chosen.rendered,
                      options = std::move(renderOptions)]() mutable {
    WindowMessageSink sink(&dlg_);
    // Both post the finished message; the UI thread reads the result once
    // it arrives and this thread has ended.
    ClipResult result;
    if (rendered) {
      options.sink = &sink;
      options.running = &commandRunning_;
      const RenderResult rendering = RenderClip(clip, outputPath, options);
      result.error = rendering.error;
      result.why = rendering.why;
    } else {
      ClipOptions lossless;
      lossless.sink = &sink;
      lossless.running = &commandRunning_;
      result = WriteClip(clip, outputPath, lossless);
    }
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
