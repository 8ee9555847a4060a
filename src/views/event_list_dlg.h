#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "catalogue/source_events.h"
#include "catalogue/speed_unit.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// The event list of a whole source: every event mark of every recording
// (impacts with their peak G, user points, emergency stops, parking
// impacts, speeding stretches, drive-assist warnings) in one sortable,
// filterable table that fills while a worker reads the recordings. A
// double-click asks for that recording at the event; "前後を書き出す…" (the
// button or the row's context menu) for a clip around it.
class CEventListDlg : public QDialog {
  Q_OBJECT
 public:
  // Posted by the worker: recordings are waiting in the queue; the scan ended.
  static constexpr int kMessageFound = 0x8601;
  static constexpr int kMessageDone = 0x8602;
  enum Column { kKind, kTime, kRecording, kPeakG, kSpeed, kColumnCount };

  explicit CEventListDlg(QWidget* parent = nullptr);
  ~CEventListDlg() override;

  // Lists the events of the recordings of `source` (a card, folder or
  // file), replacing the list shown. `offsetSeconds` is added to the
  // recorder's clock.
  void Scan(const std::filesystem::path& source, const EventChannelSwitches& switches,
            std::int64_t offsetSeconds);
  // Asks the scan to stop, without waiting for its worker: the rows found
  // stay, and scanFinished follows when the worker has stopped.
  void Cancel();
  bool scanning() const { return scan_ != nullptr; }
  // The unit of the speed column for the rows that follow; at first the one
  // chosen for this run.
  void SetSpeedUnit(SpeedUnit unit) { speedUnit_ = unit; }

  QTableView* table() const { return table_; }
  QLineEdit* filter() const { return filter_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* clipButton() const { return clip_; }
  QLabel* status() const { return status_; }

 signals:
  // The user asked for the recording at `path`, `offsetMs` into it.
  void eventChosen(const QString& path, qint64 offsetMs);
  // The user asked for a clip around the event `offsetMs` into `path`.
  void clipAroundChosen(const QString& path, qint64 offsetMs);
  void scanFinished(bool cancelled);

 protected:
  bool event(QEvent* event) override;

 private:
  void TakeFound();
  void AddRow(const std::filesystem::path& path, const SourceEvent* event);
  void ShowStatus();
  void OnActivated(const QModelIndex& index);
  // The event of the row of `index`: its recording and offset; false for a
  // row without one (an unreadable file).
  bool EventAt(const QModelIndex& index, QString& path, qint64& offsetMs) const;
  void OnClipAround();

  QStandardItemModel* model_ = nullptr;
  QSortFilterProxyModel* proxy_ = nullptr;
  QTableView* table_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* clip_ = nullptr;

  // What a scan's worker shares with the window. The worker holds it to
  // its end, so the window never waits for the worker, not even when it
  // closes.
  struct Shared {
    std::atomic<bool> running{true};
    std::mutex mutex;           // guards what follows
    QObject* window = nullptr;  // cleared when the window stops listening
    // What the worker found and the window has not shown yet.
    std::deque<std::pair<std::filesystem::path, RecordingEvents>> found;
    void Post(int message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
  };
  std::shared_ptr<Shared> scan_;  // the running scan's
  std::int64_t offsetSeconds_ = 0;
  SpeedUnit speedUnit_ = SpeedUnit::kKmh;
  int recordingsDone_ = 0;
  int recordingsTotal_ = 0;
  bool cancelled_ = false;
  // Numbers the scans, so that a message of a replaced scan is left alone.
  std::intptr_t serial_ = 0;
};
