// The event list of the open source: opened with Ctrl+E; a double-click on
// an event opens its recording and seeks to the event.
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

void CKestrelDlg::OpenEventList() {
  if (eventListDlg_ == nullptr) {
    eventListDlg_ = new CEventListDlg(this);
    connect(eventListDlg_, &CEventListDlg::eventChosen, this, &CKestrelDlg::ShowEvent);
  }
  eventListDlg_->show();
  eventListDlg_->raise();
  eventListDlg_->activateWindow();
  const QString source = filer_->sourcePath();
  if (source.isEmpty() || eventListDlg_->scanning()) return;
  eventListDlg_->Scan(QFile::encodeName(source).toStdString(), channelSwitches_, ReadTimeOffset());
}

int CKestrelDlg::RowOf(const QString& path) const {
  const std::vector<FileEntry>& entries = fileList_->entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (PathText(entries[i].path) == path) return static_cast<int>(i);
  }
  return -1;
}

void CKestrelDlg::ShowEvent(const QString& path, qint64 offsetMs) {
  if (busy_) return;
  int row = RowOf(path);
  if (row < 0) {
    // The recording lies in another folder of the source.
    filer_->ShowFolder(PathText(PathOf(path).parent_path()));
    row = RowOf(path);
  }
  if (row < 0) return;  // the list's type filter hides it
  pendingEvent_ = PendingEvent{path, static_cast<std::int32_t>(offsetMs / kRecordIntervalMs)};
  if (row == currentIndex_ && openComplete_) {
    SeekToPendingEvent();
  } else {
    fileList_->SelectRow(row);
  }
}

void CKestrelDlg::SeekToPendingEvent() {
  if (!pendingEvent_ || !IndexValid() || EntryPath(currentIndex_) != pendingEvent_->path) return;
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
  if (frame) SeekTo(*frame);
}
