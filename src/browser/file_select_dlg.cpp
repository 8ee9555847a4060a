#include "browser/file_select_dlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/error_box.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "browser/file_list_header_ctrl.h"

namespace {

// UI text slots.
constexpr int kNameColumnText = 50;
constexpr int kSizeColumnText = 51;
constexpr int kTooManyText = 105;

}  // namespace

CFileSelectDlg::CFileSelectDlg(const std::vector<FileEntry>& entries, QWidget* parent)
    : QDialog(parent) {
  setFont(fontNormal());
  resize(460, 520);
  list_ = new QTreeWidget(this);
  list_->setHeader(new CFileListHeaderCtrl(list_));
  list_->setColumnCount(2);
  list_->setHeaderLabels({UiText(kNameColumnText), UiText(kSizeColumnText)});
  list_->setRootIsDecorated(false);
  list_->setAccessibleName(UiText(234));  // "ファイル一覧"
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  list_->header()->setStretchLastSection(false);
  total_ = new QLabel(this);
  total_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  okButton_ = buttons->button(QDialogButtonBox::Ok);
  okButton_->setDefault(true);
  // The window's own wording, not Qt's.
  buttons->button(QDialogButtonBox::Cancel)->setText(UiText(153));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(total_);
  layout->addWidget(buttons);

  QList<QTreeWidgetItem*> rows;
  for (const FileEntry& entry : entries) {
    if (rows.size() >= kMaxRows) {
      ShowErrorBox(this, UiText(kTooManyText));
      break;
    }
    auto* row = new QTreeWidgetItem({QString::fromStdString(entry.name), SizeText(entry.fileSize)});
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setCheckState(0, Qt::Unchecked);
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    rows.append(row);
    entries_.push_back(entry);
  }
  list_->addTopLevelItems(rows);
  list_->resizeColumnToContents(1);
  connect(list_, &QTreeWidget::itemChanged, this, &CFileSelectDlg::OnItemChanged);
  UpdateTotal();
}

QString CFileSelectDlg::SizeText(quint64 bytes) { return QStringLiteral("%1 MB").arg(bytes >> 20); }

void CFileSelectDlg::SetTicked(int row, bool ticked) {
  if (QTreeWidgetItem* item = list_->topLevelItem(row)) {
    item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
  }
}

std::vector<FileEntry> CFileSelectDlg::Ticked() const {
  std::vector<FileEntry> ticked;
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    if (list_->topLevelItem(row)->checkState(0) == Qt::Checked) ticked.push_back(entries_[row]);
  }
  return ticked;
}

quint64 CFileSelectDlg::TickedMegabytes() const {
  quint64 bytes = 0;
  for (const FileEntry& entry : Ticked()) bytes += entry.fileSize;
  return bytes >> 20;
}

void CFileSelectDlg::OnItemChanged(QTreeWidgetItem* item, int column) {
  if (column != 0 || spreading_) return;
  // A box ticked inside the selected range gives the whole range its state.
  const QList<QTreeWidgetItem*> range = list_->selectedItems();
  if (range.size() > 1 && range.contains(item)) {
    spreading_ = true;
    for (QTreeWidgetItem* other : range) other->setCheckState(0, item->checkState(0));
    spreading_ = false;
  }
  UpdateTotal();
}

void CFileSelectDlg::UpdateTotal() {
  total_->setText(QStringLiteral("%1 MB").arg(TickedMegabytes()));
}
