#include "browser/file_list_ctrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "catalogue/movie_names.h"

namespace {

// Colours of the rows (red, green, blue).
const QColor kHighlightTyped(0xB2, 0xB2, 0x8E);
const QColor kHighlightPlain(0xB2, 0xB2, 0xB2);
const QColor kTyped(0xFF, 0xFF, 0xCC);
const QColor kPlain(Qt::white);
const QColor kFrame(0x88, 0x88, 0x88);
const QColor kGreyedText(0x99, 0x99, 0x99);
constexpr int kRowHeight = 20;
constexpr int kTextIndent = 4;
constexpr int kMarkSize = 14;
constexpr int kRepairableTip = 233;  // "破損（修復できます）"

}  // namespace

CFileListCtrl::CFileListCtrl(QWidget* parent) : QListWidget(parent) {
  setObjectName(QString::number(kControlId));
  setAccessibleName(UiText(234));  // "ファイル一覧"
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setFont(fontNormal());
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setItemDelegate(new CFileListRowDelegate(this));
  setStyleSheet(QStringLiteral("QListWidget{background:white;}"));
  // Only a row becoming selected counts; the current row alone moves
  // without a selection, for example when the list gets the focus.
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (!selected.isEmpty()) emit rowSelected(row(selected.front()));
  });
}

void CFileListCtrl::SetEntries(std::vector<FileEntry> entries) {
  entries_ = std::move(entries);
  highlightedRow_ = -1;
  RebuildRows();
}

void CFileListCtrl::RebuildRows() {
  const QSignalBlocker quiet(this);
  clear();
  for (const FileEntry& entry : entries_) {
    auto* row = new QListWidgetItem(RowText(entry.name), this);
    if (!entry.repairable) continue;
    // A recording cut short is listed to be repaired, not played: greyed,
    // it cannot be selected.
    row->setFlags(Qt::NoItemFlags);
    row->setToolTip(UiText(kRepairableTip));
    row->setData(Qt::AccessibleDescriptionRole, UiText(kRepairableTip));
  }
  // The scroll bar always shows; without rows it is disabled.
  verticalScrollBar()->setEnabled(!entries_.empty());
  viewport()->update();
}

void CFileListCtrl::SetHighlightedRow(int row) {
  highlightedRow_ = row;
  viewport()->update();
}

void CFileListCtrl::SelectRow(int row) {
  pressed_ = false;
  setCurrentRow(row);
  if (QListWidgetItem* it = item(row)) scrollToItem(it);
}

int CFileListCtrl::PlayableRow(int from, int step) const {
  for (int row = from; row >= 0 && row < entryCount(); row += step) {
    if (!entries_[static_cast<std::size_t>(row)].repairable) return row;
  }
  return -1;
}

std::vector<FileEntry> CFileListCtrl::PlayableEntries() const {
  std::vector<FileEntry> playable;
  for (const FileEntry& entry : entries_) {
    if (!entry.repairable) playable.push_back(entry);
  }
  return playable;
}

void CFileListCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  QListWidget::mousePressEvent(event);
}

QString CFileListCtrl::RowText(const std::string& name) {
  const QString text = QString::fromStdString(name);
  const qsizetype dot = text.indexOf(QLatin1Char('.'));
  return dot > 0 ? text.left(dot) : text;
}

QColor CFileListCtrl::RowFill(const std::string& name, bool highlighted) {
  const char type = TriggerLetter(name);
  const bool marked = type == 'G' || type == 'M' || type == 'P' || type == 'S';
  if (highlighted) return marked ? kHighlightTyped : kHighlightPlain;
  return marked ? kTyped : kPlain;
}

void CFileListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  const int row = index.row();
  const std::vector<FileEntry>& entries = list_->entries();
  const bool listed = row < static_cast<int>(entries.size());
  const std::string name = listed ? entries[row].name : "";
  const bool repairable = listed && entries[row].repairable;
  const bool highlighted = row == list_->highlightedRow();
  QRect fill = option.rect;
  if (highlighted)
    fill = QRect(0, option.rect.top(), list_->viewport()->width(), option.rect.height());
  painter->save();
  painter->fillRect(fill, CFileListCtrl::RowFill(name, highlighted));
  painter->setPen(kFrame);
  painter->drawRect(option.rect);  // one pixel past the right and bottom edges
  painter->setPen(repairable ? kGreyedText : Qt::black);
  painter->setFont(list_->font());
  QRect textBox = option.rect.adjusted(kTextIndent, 0, -kTextIndent, 0);
  if (repairable) {
    // The mark of a damaged recording before its name.
    const QRect mark(textBox.left(), textBox.center().y() - kMarkSize / 2, kMarkSize, kMarkSize);
    list_->style()->standardIcon(QStyle::SP_MessageBoxWarning).paint(painter, mark);
    textBox.setLeft(mark.right() + 1 + kTextIndent);
  }
  const QString text =
      painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, textBox.width());
  painter->drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
  painter->restore();
}

QSize CFileListRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
  return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
}
