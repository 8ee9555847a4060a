#include "browser/folder_tree_ctrl.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

TEST(FolderTreeCtrl, ItemsCarryFolderAndMask) {
  CFolderTreeCtrl tree;
  EXPECT_EQ(tree.objectName(), QStringLiteral("38300"));
  QTreeWidgetItem* root = tree.SetRoot(QStringLiteral("/card/DCIM"));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(tree.ItemCount(), 1);
  FolderTree& scanned = tree;
  FolderTree::Item first = scanned.InsertItem(root, "/card/DCIM/100MEDIA");
  FolderTree::Item second = scanned.InsertItem(root, "/card/DCIM/101MEDIA");
  scanned.SetItemData(second, 0x05);
  EXPECT_EQ(tree.ItemCount(), 3);
  ASSERT_EQ(root->childCount(), 2);
  EXPECT_EQ(root->child(0)->text(0), QStringLiteral("100MEDIA"));
  EXPECT_EQ(CFolderTreeCtrl::FolderOf(root->child(1)), QStringLiteral("/card/DCIM/101MEDIA"));
  EXPECT_EQ(CFolderTreeCtrl::TriggerMaskOf(root->child(1)), 0x05);
  EXPECT_EQ(CFolderTreeCtrl::TriggerMaskOf(root->child(0)), 0);
  EXPECT_EQ(CFolderTreeCtrl::NextSibling(static_cast<QTreeWidgetItem*>(first)), root->child(1));
  EXPECT_EQ(CFolderTreeCtrl::NextSibling(root->child(1)), nullptr);
  EXPECT_EQ(CFolderTreeCtrl::NextSibling(root), nullptr);

  QSignalSpy chosen(&tree, &CFolderTreeCtrl::folderSelected);
  tree.setCurrentItem(root->child(1));
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.at(0).at(0).toString(), QStringLiteral("/card/DCIM/101MEDIA"));

  // A new root starts from an empty tree, without reporting a choice.
  tree.SetRoot(QStringLiteral("/other"));
  EXPECT_EQ(tree.ItemCount(), 1);
  EXPECT_EQ(tree.rootPath(), QStringLiteral("/other"));
  EXPECT_EQ(chosen.count(), 1);
  tree.Reset();
  EXPECT_EQ(tree.ItemCount(), 0);
  EXPECT_EQ(tree.root(), nullptr);
}

TEST(FolderTreeCtrl, SelectedItemDrawnOnItsColourWithTheIcon) {
  CFolderTreeCtrl tree;
  tree.resize(300, 200);
  QTreeWidgetItem* root = tree.SetRoot(QStringLiteral("/card/DCIM"));
  tree.InsertItem(root, "/card/DCIM/100MEDIA");
  tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
  tree.setCurrentItem(root->child(0));

  const QImage shown = tree.grab().toImage();
  const QRect selected = tree.visualItemRect(root->child(0));
  const QRect plain = tree.visualItemRect(root);
  const auto at = [&](QPoint p) { return shown.pixelColor(tree.viewport()->mapTo(&tree, p)); };
  EXPECT_EQ(at(QPoint(selected.right() - 3, selected.center().y())),
            CFolderTreeDelegate::SelectedFill());
  EXPECT_EQ(at(QPoint(plain.right() - 3, plain.center().y())), QColor(Qt::white));
  // The icon's body, 26 x 26 from x 8: its white corners stay the fill.
  EXPECT_NE(at(QPoint(selected.left() + 8 + 13, selected.center().y() + 2)),
            CFolderTreeDelegate::SelectedFill());
  EXPECT_EQ(at(QPoint(selected.left() + 8, selected.top() + 2)),
            CFolderTreeDelegate::SelectedFill());
}

}  // namespace
