#pragma once

#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "catalogue/folder_tree.h"

// The folder tree of the open source (control 38300): a root item for the
// source folder and, under it, the folders that the catalogue's folder scan
// inserts, each with its trigger mask as item data. Choosing an item reports
// its folder.
class CFolderTreeCtrl : public QTreeWidget, public FolderTree {
  Q_OBJECT
 public:
  static constexpr int kControlId = 38300;
  static constexpr int kIconSize = 26;
  static constexpr int kIconLeft = 8;

  explicit CFolderTreeCtrl(QWidget* parent = nullptr);

  // Empties the tree and makes `folder` its root item; returns the root.
  QTreeWidgetItem* SetRoot(const QString& folder);
  QTreeWidgetItem* root() const { return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr; }
  const QString& rootPath() const { return rootPath_; }

  // FolderTree: items are QTreeWidgetItem pointers.
  int ItemCount() const override { return itemCount_; }
  Item InsertItem(Item parent, const std::filesystem::path& folder) override;
  void SetItemData(Item item, int triggerMask) override;

  static QString FolderOf(const QTreeWidgetItem* item);
  static int TriggerMaskOf(const QTreeWidgetItem* item);

  // The folder item after `item` under the same parent, or null.
  static QTreeWidgetItem* NextSibling(const QTreeWidgetItem* item);

  // Empties the tree.
  void Reset();

 signals:
  // The user or the program chose the folder of an item.
  void folderSelected(const QString& folder);

 private:
  QString rootPath_;
  int itemCount_ = 0;
};

// Draws the tree's items: white background, the selected item on 0xFFCC00
// with white text and a focus frame, a folder icon 26 x 26 at x 8, the text
// vertically centred on one line.
class CFolderTreeDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // The selected item's background (red, green, blue).
  static QColor SelectedFill() { return QColor(0x00, 0xCC, 0xFF); }
  // The folder icon, drawn on white so that white can be left out.
  static const QPixmap& FolderIcon();
};
