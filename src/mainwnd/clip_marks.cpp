// The clip's marks: set on the picture on show, shown as ticks on the seek
// slider and named beside the rate, read as the stretch between them.
#include "mainwnd/clip_marks.h"

#include <QFile>

#include "base/path_text.h"
#include "base/ui_text.h"
#include "browser/filer_container.h"
#include "catalogue/source_entries.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"

namespace {

constexpr int kStartWord = 164;  // "開始"
constexpr int kEndWord = 165;    // "終了"

// The recorder's clock at `mark`, "08:31:02"; empty when its recording
// cannot be read.
QString MarkClock(const ClipMark& mark) {
  const StretchResult one = StretchBetweenPictures({mark.recording}, mark, mark);
  if (one.error != ClipError::kNone) return {};
  const std::tm& t = one.stretch.start;
  return QStringLiteral("%1:%2:%3")
      .arg(t.tm_hour, 2, 10, QChar('0'))
      .arg(t.tm_min, 2, 10, QChar('0'))
      .arg(t.tm_sec, 2, 10, QChar('0'));
}

}  // namespace

ClipMarks::ClipMarks(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine)
    : dlg_(dlg), ops_(ops), engine_(engine) {}

std::filesystem::path ClipMarks::ShownRecording() const {
  if (engine_->engineReady == 0 || engine_->playState == 0 || !dlg_.playback().IndexValid()) {
    return {};
  }
  return PathOf(dlg_.playback().EntryPath(dlg_.playback().currentIndex()));
}

std::optional<ClipMoment> ClipMarks::ShownMoment() const {
  const std::filesystem::path recording = ShownRecording();
  if (recording.empty() || engine_->engineReady == 0) return std::nullopt;
  std::int64_t position = 0;  // 100 ns units
  {
    EngineLock lock(engine_->fileMutex);
    if (engine_->player == nullptr || !engine_->player->ClockTime(position)) return std::nullopt;
  }
  return ClipMoment{recording, position * 100};
}

void ClipMarks::Set(bool start) {
  const std::optional<ClipMoment> moment = ShownMoment();
  if (!moment) return;
  const std::optional<ClipMark> picture = ClipMarkAt(*moment);
  if (!picture) return;
  Mark mark{*picture, ops_.GetPosition(engine_), MarkClock(*picture)};
  (start ? start_ : end_) = std::move(mark);
  ready_ = start_ && end_ && Stretch().error == ClipError::kNone;
  Show();
}

void ClipMarks::Clear() {
  start_.reset();
  end_.reset();
  ready_ = false;
  Show();
}

void ClipMarks::Show() {
  const std::filesystem::path shown = ShownRecording();
  std::vector<int> ticks;
  for (const std::optional<Mark>* mark : {&start_, &end_}) {
    if (*mark && !shown.empty() && (*mark)->picture.recording == shown) {
      ticks.push_back((*mark)->sliderFrame);
    }
  }
  dlg_.seekSlider()->SetTicks(ticks);
  dlg_.playback().UpdateRateLabel();
}

QString ClipMarks::Note() const {
  const std::filesystem::path shown = ShownRecording();
  QStringList parts;
  const auto name = [&](const std::optional<Mark>& mark, const QString& word) {
    if (mark && mark->picture.recording != shown) parts << word + QChar(' ') + mark->clock;
  };
  name(start_, UiText(kStartWord));
  name(end_, UiText(kEndWord));
  return parts.join(QChar(' '));
}

std::vector<std::filesystem::path> ClipMarks::SourceRecordings() const {
  const QString source = dlg_.filer()->sourcePath();
  if (source.isEmpty()) return {};
  Catalogue catalogue;
  std::vector<std::filesystem::path> recordings;
  for (const FileEntry& entry : CollectSource(catalogue, QFile::encodeName(source).toStdString())) {
    recordings.push_back(entry.path);
  }
  return recordings;
}

StretchResult ClipMarks::Stretch() const {
  if (!start_ || !end_) return {ClipError::kTooShort, "a mark is missing", {}};
  return StretchBetweenPictures(SourceRecordings(), start_->picture, end_->picture);
}
