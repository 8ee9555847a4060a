// The event list of the open source: opened with Ctrl+E; a double-click on
// an event opens its recording and seeks to the event; its "前後を書き出す…"
// writes the clip around the event.
#include <QFile>
#include <QKeySequence>
#include <QShortcut>

#include "base/path_text.h"
#include "base/settings_file.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/player_engine.h"
#include "views/event_list_dlg.h"

void MapAndEventMarks::OpenEventList() {
  if (eventListDlg_ == nullptr) {
    eventListDlg_ = new CEventListDlg(&dlg_);
    connect(eventListDlg_, &CEventListDlg::eventChosen, this, &MapAndEventMarks::ShowEvent);
    connect(eventListDlg_, &CEventListDlg::clipAroundChosen, this,
            [this](const QString& path, qint64 offsetMs) {
              dlg_.commands().OnClipAround(ClipMoment{PathOf(path), offsetMs * 1'000'000});
            });
  }
  eventListDlg_->show();
  eventListDlg_->raise();
  eventListDlg_->activateWindow();
  const QString source = dlg_.filer()->sourcePath();
  if (source.isEmpty() || eventListDlg_->scanning()) return;
  eventListDlg_->Scan(QFile::encodeName(source).toStdString(), channelSwitches_, ReadTimeOffset());
}

int MapAndEventMarks::RowOf(const QString& path) const {
  const std::vector<FileEntry>& entries = dlg_.fileList()->entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (PathText(entries[i].path) == path) return static_cast<int>(i);
  }
  return -1;
}

void MapAndEventMarks::ShowEvent(const QString& path, qint64 offsetMs) {
  if (dlg_.playback().busy()) return;
  int row = RowOf(path);
  if (row < 0) {
    // The recording lies in another folder of the source.
    dlg_.filer()->ShowFolder(PathText(PathOf(path).parent_path()));
    row = RowOf(path);
  }
  if (row < 0) return;  // the list's type filter hides it
  pendingEvent_ = PendingEvent{path, static_cast<std::int32_t>(offsetMs / kRecordIntervalMs)};
  if (row == dlg_.playback().currentIndex() && dlg_.playback().openComplete()) {
    SeekToPendingEvent();
  } else {
    dlg_.fileList()->SelectRow(row);
  }
}

void MapAndEventMarks::SeekToPendingEvent() {
  if (!pendingEvent_ || !dlg_.playback().IndexValid() ||
      dlg_.playback().EntryPath(dlg_.playback().currentIndex()) != pendingEvent_->path)
    return;
  const std::int32_t sequence = pendingEvent_->sequence;
  pendingEvent_.reset();
  std::optional<int> frame;
  {
    EngineLock lock(engine_->fileMutex);
    const std::vector<AccelRecord>& accels = engine_->currentReader.accels;
    if (sequence >= 0 && static_cast<std::size_t>(sequence) < accels.size()) {
      frame = accels[static_cast<std::size_t>(sequence)].frame;
    }
  }
  if (frame) dlg_.playback().SeekTo(*frame);
}
