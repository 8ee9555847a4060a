#include "views/event_list_dlg.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <array>
#include <ctime>
#include <thread>

#include "base/app_message.h"
#include "base/display_choices.h"
#include "base/event_channel_text.h"
#include "base/path_text.h"
#include "base/ui_text.h"
#include "catalogue/recorder_clock.h"
#include "catalogue/source_entries.h"

namespace {

// UI text slots.
constexpr int kTitleText = 180;
constexpr int kFirstColumnText = 181;  // kind, time, file, peak G, speed
constexpr int kFilterText = 186;
constexpr int kCancelText = 187;
constexpr int kCancelTip = 188;
constexpr int kClipText = 189;
constexpr int kStatusText = 190;
constexpr int kCancelledText = 191;
constexpr int kUnreadableText = 192;

constexpr int kSortRole = Qt::UserRole + 1;
constexpr int kPathRole = Qt::UserRole + 2;
constexpr int kOffsetRole = Qt::UserRole + 3;

QStandardItem* Cell(const QString& text, const QVariant& sortKey) {
  auto* item = new QStandardItem(text);
  item->setData(sortKey, kSortRole);
  item->setEditable(false);
  return item;
}

QString TimeText(const SourceEvent& e, std::int64_t offsetSeconds) {
  const std::optional<std::tm> local = CorrectedLocalTime(e.time, offsetSeconds);
  if (!local) return "--/--/-- --:--:--";
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &*local);
  return QString::fromLatin1(text, static_cast<qsizetype>(length));
}

}  // namespace

CEventListDlg::CEventListDlg(QWidget* parent) : QDialog(parent), speedUnit_(shownSpeedUnit()) {
  setWindowTitle(UiText(kTitleText));
  resize(720, 480);
  model_ = new QStandardItemModel(0, kColumnCount, this);
  QStringList columns;
  for (int column = 0; column < kColumnCount; ++column)
    columns << UiText(kFirstColumnText + column);
  model_->setHorizontalHeaderLabels(columns);
  proxy_ = new QSortFilterProxyModel(this);
  proxy_->setSourceModel(model_);
  proxy_->setSortRole(kSortRole);
  proxy_->setFilterKeyColumn(-1);
  proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);

  filter_ = new QLineEdit(this);
  filter_->setPlaceholderText(UiText(kFilterText));
  filter_->setAccessibleName(UiText(kFilterText));
  filter_->setClearButtonEnabled(true);
  connect(filter_, &QLineEdit::textChanged, proxy_, &QSortFilterProxyModel::setFilterFixedString);

  table_ = new QTableView(this);
  table_->setAccessibleName(UiText(kTitleText));
  table_->setModel(proxy_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(kTime, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  connect(table_, &QTableView::doubleClicked, this, &CEventListDlg::OnActivated);
  connect(table_, &QTableView::activated, this, &CEventListDlg::OnActivated);
  table_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(table_, &QTableView::customContextMenuRequested, this, [this](const QPoint& point) {
    const QModelIndex index = table_->indexAt(point);
    QString path;
    qint64 offsetMs = 0;
    if (!EventAt(index, path, offsetMs)) return;
    table_->selectRow(index.row());
    QMenu menu(this);
    connect(menu.addAction(clip_->text()), &QAction::triggered, this, &CEventListDlg::OnClipAround);
    menu.exec(table_->viewport()->mapToGlobal(point));
  });

  status_ = new QLabel(this);
  cancel_ = new QPushButton(UiText(kCancelText), this);
  cancel_->setToolTip(UiText(kCancelTip));
  cancel_->setAccessibleName(cancel_->toolTip());
  cancel_->setEnabled(false);
  connect(cancel_, &QPushButton::clicked, this, &CEventListDlg::Cancel);

  clip_ = new QPushButton(UiText(kClipText), this);
  clip_->setAccessibleName(UiText(kClipText));
  clip_->setEnabled(false);
  connect(clip_, &QPushButton::clicked, this, &CEventListDlg::OnClipAround);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            QString path;
            qint64 offsetMs = 0;
            clip_->setEnabled(EventAt(current, path, offsetMs));
          });

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(clip_);
  bottom->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(filter_);
  layout->addWidget(table_, 1);
  layout->addLayout(bottom);
}

CEventListDlg::~CEventListDlg() {
  if (!scan_) return;
  scan_->running = false;
  const std::lock_guard lock(scan_->mutex);
  scan_->window = nullptr;
}

void CEventListDlg::Shared::Post(int message, std::intptr_t wParam, std::intptr_t lParam) {
  if (window != nullptr) PostAppMessage(window, message, wParam, lParam);
}

void CEventListDlg::Scan(const std::filesystem::path& source, const EventChannelSwitches& switches,
                         std::int64_t offsetSeconds) {
  if (scan_) {  // the scan replaced ends by itself, unheard
    scan_->running = false;
    const std::lock_guard lock(scan_->mutex);
    scan_->window = nullptr;
  }
  model_->removeRows(0, model_->rowCount());
  offsetSeconds_ = offsetSeconds;
  recordingsDone_ = 0;
  recordingsTotal_ = 0;
  cancelled_ = false;
  scan_ = std::make_shared<Shared>();
  scan_->window = this;
  const std::intptr_t serial = ++serial_;
  cancel_->setEnabled(true);
  ShowStatus();
  std::thread([shared = scan_, source, switches, serial] {
    const std::atomic<bool>* running = &shared->running;
    Catalogue catalogue;
    const std::vector<FileEntry> entries = CollectSource(catalogue, source, running);
    const std::vector<std::filesystem::path> refused = RefusedMovies(source, entries, running);
    {
      const std::lock_guard lock(shared->mutex);
      shared->Post(kMessageFound, serial,
                   static_cast<std::intptr_t>(entries.size() + refused.size()));
    }
    const bool whole = ScanEvents(entries, {.switches = switches,
                                            .running = running,
                                            .found =
                                                [&](RecordingEvents found) {
                                                  const std::lock_guard lock(shared->mutex);
                                                  shared->found.emplace_back(
                                                      entries[found.entry].path, std::move(found));
                                                  shared->Post(kMessageFound, serial);
                                                }}) &&
                       shared->running;
    const std::lock_guard lock(shared->mutex);
    if (whole) {
      for (const std::filesystem::path& path : refused)
        shared->found.emplace_back(path, RecordingEvents{});
    }
    shared->Post(kMessageDone, serial, whole ? 0 : 1);
  }).detach();
}

void CEventListDlg::Cancel() {
  if (scan_) scan_->running = false;
  cancel_->setEnabled(false);
}

bool CEventListDlg::event(QEvent* event) {
  const bool found = event->type() == static_cast<QEvent::Type>(kMessageFound);
  const bool done = event->type() == static_cast<QEvent::Type>(kMessageDone);
  if (!found && !done) return QDialog::event(event);
  const auto* message = static_cast<AppMessageEvent*>(event);
  if (message->wParam() != serial_) return true;  // from a scan since replaced
  if (found) {
    if (message->lParam() > 0) {  // the walk is done: the total is known
      recordingsTotal_ = static_cast<int>(message->lParam());
      ShowStatus();
    }
    TakeFound();
    return true;
  }
  TakeFound();
  scan_.reset();
  cancelled_ = message->lParam() != 0;
  cancel_->setEnabled(false);
  ShowStatus();
  emit scanFinished(cancelled_);
  return true;
}

void CEventListDlg::TakeFound() {
  if (!scan_) return;
  std::deque<std::pair<std::filesystem::path, RecordingEvents>> taken;
  {
    const std::lock_guard lock(scan_->mutex);
    taken.swap(scan_->found);
  }
  if (taken.empty()) return;
  // Adding rows to a sorted view re-sorts it at each row: sort once after.
  table_->setSortingEnabled(false);
  for (const auto& [path, recording] : taken) {
    if (!recording.readable) AddRow(path, nullptr);
    for (const SourceEvent& e : recording.events) AddRow(path, &e);
    ++recordingsDone_;
  }
  table_->setSortingEnabled(true);
  ShowStatus();
}

void CEventListDlg::AddRow(const std::filesystem::path& path, const SourceEvent* e) {
  const QString file = QFile::decodeName(path.filename().c_str());
  QList<QStandardItem*> row;
  if (e == nullptr) {
    const QString unreadable = UiText(kUnreadableText);
    row = {Cell(unreadable, unreadable), Cell("", QString()), Cell(file, file), Cell("", -1.0),
           Cell("", -1.0)};
  } else {
    const QString time = TimeText(*e, offsetSeconds_);
    const double speed = e->hasPosition ? e->speed : -1.0;
    row = {Cell(EventChannelText(e->channel), e->channel),
           Cell(time, time + QString::asprintf("%09lld", static_cast<long long>(e->offsetMs))),
           Cell(file, file), Cell(QString::number(e->peakG, 'f', 2) + "G", e->peakG),
           Cell(e->hasPosition ? QString::fromStdString(ShownSpeedText(speedUnit_, e->speed)) +
                                     u' ' + QString::fromLatin1(SpeedUnitLabel(speedUnit_))
                               : "-",
                speed)};
    row[kKind]->setData(static_cast<qlonglong>(e->offsetMs), kOffsetRole);
  }
  row[kKind]->setData(PathText(path), kPathRole);
  model_->appendRow(row);
}

void CEventListDlg::ShowStatus() {
  QString text =
      UiText(kStatusText).arg(recordingsDone_).arg(recordingsTotal_).arg(model_->rowCount());
  if (!scanning() && cancelled_) text += UiText(kCancelledText);
  status_->setText(text);
}

bool CEventListDlg::EventAt(const QModelIndex& index, QString& path, qint64& offsetMs) const {
  if (!index.isValid()) return false;
  const QModelIndex kind = proxy_->mapToSource(index.siblingAtColumn(kKind));
  const QStandardItem* item = model_->item(kind.row(), kKind);
  if (item == nullptr || !item->data(kOffsetRole).isValid()) return false;  // an unreadable file
  path = item->data(kPathRole).toString();
  offsetMs = item->data(kOffsetRole).toLongLong();
  return true;
}

void CEventListDlg::OnActivated(const QModelIndex& index) {
  QString path;
  qint64 offsetMs = 0;
  if (EventAt(index, path, offsetMs)) emit eventChosen(path, offsetMs);
}

void CEventListDlg::OnClipAround() {
  QString path;
  qint64 offsetMs = 0;
  if (EventAt(table_->currentIndex(), path, offsetMs)) emit clipAroundChosen(path, offsetMs);
}
