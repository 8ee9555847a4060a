#include "browser/folder_tree_ctrl.h"

#include <QBitmap>
#include <QDir>
#include <QFile>
#include <QPainter>

#include "base/path_text.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kMaskRole = Qt::UserRole + 1;
constexpr int kRowHeight = 30;
constexpr int kTextGap = 6;
constexpr int kIndent = 12;

QPixmap DrawFolderIcon() {
  const int s = CFolderTreeCtrl::kIconSize;
  QPixmap icon(s, s);
  icon.fill(Qt::white);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0xB0, 0x80, 0x20), 1));
  p.setBrush(QColor(0xF5, 0xC8, 0x4C));
  p.drawRoundedRect(QRectF(2.5, 5.5, 10, 5), 1.5, 1.5);  // the tab
  p.setBrush(QColor(0xFF, 0xD8, 0x66));
  p.drawRoundedRect(QRectF(2.5, 8.5, 21, 14), 1.5, 1.5);
  p.end();
  // White is the transparent colour of the icon.
  icon.setMask(icon.createMaskFromColor(Qt::white));
  return icon;
}

}  // namespace

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QString::number(kControlId));
  setAccessibleName(UiText(235));  // "フォルダ一覧"
  setHeaderHidden(true);
  setColumnCount(1);
  setFont(fontNormal());
  setIconSize(QSize(kIconSize, kIconSize));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new CFolderTreeDelegate(this));
  setStyleSheet(QStringLiteral("QTreeWidget{background:white;}"));
  setRootIsDecorated(false);
  setIndentation(kIndent);
  // The branch area of the selected row in the selected item's colour.
  QPalette colours = palette();
  colours.setColor(QPalette::Highlight, CFolderTreeDelegate::SelectedFill());
  setPalette(colours);
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item != nullptr) emit folderSelected(FolderOf(item));
  });
}

void CFolderTreeCtrl::Reset() {
  const QSignalBlocker quiet(this);
  clear();
  rootPath_.clear();
  itemCount_ = 0;
}

QTreeWidgetItem* CFolderTreeCtrl::SetRoot(const QString& folder) {
  Reset();
  rootPath_ = folder;
  auto* item = new QTreeWidgetItem(QStringList(QDir::toNativeSeparators(folder)));
  item->setData(0, kPathRole, folder);
  item->setData(0, kMaskRole, 0);
  {
    const QSignalBlocker quiet(this);
    addTopLevelItem(item);
  }
  ++itemCount_;
  return item;
}

FolderTree::Item CFolderTreeCtrl::InsertItem(Item parent, const std::filesystem::path& folder) {
  auto* parentItem = static_cast<QTreeWidgetItem*>(parent);
  auto* item = new QTreeWidgetItem(QStringList(QFile::decodeName(folder.filename().c_str())));
  item->setData(0, kPathRole, PathText(folder));
  item->setData(0, kMaskRole, 0);
  const QSignalBlocker quiet(this);
  if (parentItem != nullptr) {
    parentItem->addChild(item);
    parentItem->setExpanded(true);
  } else {
    addTopLevelItem(item);
  }
  ++itemCount_;
  return item;
}

void CFolderTreeCtrl::SetItemData(Item item, int triggerMask) {
  if (item != nullptr) static_cast<QTreeWidgetItem*>(item)->setData(0, kMaskRole, triggerMask);
}

QString CFolderTreeCtrl::FolderOf(const QTreeWidgetItem* item) {
  return item != nullptr ? item->data(0, kPathRole).toString() : QString();
}

int CFolderTreeCtrl::TriggerMaskOf(const QTreeWidgetItem* item) {
  return item != nullptr ? item->data(0, kMaskRole).toInt() : 0;
}

QTreeWidgetItem* CFolderTreeCtrl::NextSibling(const QTreeWidgetItem* item) {
  if (item == nullptr || item->parent() == nullptr) return nullptr;
  QTreeWidgetItem* parent = item->parent();
  const int next = parent->indexOfChild(const_cast<QTreeWidgetItem*>(item)) + 1;
  return next < parent->childCount() ? parent->child(next) : nullptr;
}

const QPixmap& CFolderTreeDelegate::FolderIcon() {
  static const QPixmap icon = DrawFolderIcon();
  return icon;
}

void CFolderTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  const bool selected = option.state & QStyle::State_Selected;
  const QRect box = option.rect;
  painter->save();
  painter->fillRect(box, selected ? SelectedFill() : QColor(Qt::white));
  const int s = CFolderTreeCtrl::kIconSize;
  const int iconTop = box.top() + (box.height() - s) / 2;
  painter->drawPixmap(box.left() + CFolderTreeCtrl::kIconLeft, iconTop, FolderIcon());
  const QRect textBox(box.left() + CFolderTreeCtrl::kIconLeft + s + kTextGap, box.top(),
                      box.width() - CFolderTreeCtrl::kIconLeft - s - kTextGap, box.height());
  painter->setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
  painter->setFont(option.font);
  painter->drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    index.data().toString());
  if (selected) {
    // The focus frame: a dotted rectangle inside the item.
    painter->setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(box.adjusted(0, 0, -1, -1));
  }
  painter->restore();
}

QSize CFolderTreeDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  const QSize text = QStyledItemDelegate::sizeHint(option, index);
  return QSize(CFolderTreeCtrl::kIconLeft + CFolderTreeCtrl::kIconSize + kTextGap + text.width(),
               kRowHeight);
}
