#include "browser/file_list_ctrl.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

namespace {

FileEntry Entry(const std::string& name) {
  FileEntry e;
  e.name = name;
  e.path = "/card/DCIM/100MEDIA/" + name;
  return e;
}

TEST(FileListRows, TextWithoutTheExtension) {
  EXPECT_EQ(CFileListCtrl::RowText("0612083000_A.MOV"), QStringLiteral("0612083000_A"));
  EXPECT_EQ(CFileListCtrl::RowText("a.b.MOV"), QStringLiteral("a"));
  EXPECT_EQ(CFileListCtrl::RowText("NODOT"), QStringLiteral("NODOT"));
  EXPECT_EQ(CFileListCtrl::RowText(".hidden.MOV"), QStringLiteral(".hidden.MOV"));
  EXPECT_EQ(CFileListCtrl::RowText("録画_0001.MOV"), QStringLiteral("録画_0001"));
}

TEST(FileListRows, FillByTypeAndHighlight) {
  struct Case {
    const char* name;
    QColor plain, highlighted;
  };
  const QColor white(Qt::white), cream(0xFF, 0xFF, 0xCC), grey(0xB2, 0xB2, 0xB2),
      olive(0xB2, 0xB2, 0x8E);
  const Case cases[] = {
      {"0612083000_A.MOV", white, grey},  {"0612083000_G.MOV", cream, olive},
      {"0612083000_M.MOV", cream, olive}, {"0612083000_P.MOV", cream, olive},
      {"0612083000_S.MOV", cream, olive}, {"0612083000_X.MOV", white, grey},
      {"0612083000-G.MOV", white, grey},  {"short.MOV", white, grey},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CFileListCtrl::RowFill(c.name, false), c.plain) << c.name;
    EXPECT_EQ(CFileListCtrl::RowFill(c.name, true), c.highlighted) << c.name;
  }
}

TEST(FileListCtrl, RowsFollowTheEntriesAndReportSelections) {
  CFileListCtrl list;
  list.resize(300, 200);
  list.SetEntries(
      {Entry("0612083000_A.MOV"), Entry("0612083010_G.MOV"), Entry("0612083020_P.MOV")});
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(list.item(1)->text(), QStringLiteral("0612083010_G"));
  EXPECT_EQ(list.objectName(), QStringLiteral("1001"));
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

  QSignalSpy selected(&list, &CFileListCtrl::rowSelected);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                    list.visualItemRect(list.item(2)).center());
  ASSERT_EQ(selected.count(), 1);
  EXPECT_EQ(selected.at(0).at(0).toInt(), 2);
  EXPECT_TRUE(list.pressed()) << "a click of the user";
  list.ClearPressed();
  list.SelectRow(0);
  ASSERT_EQ(selected.count(), 2);
  EXPECT_FALSE(list.pressed()) << "a selection made in code";

  list.SetHighlightedRow(1);
  const QImage shown = list.grab().toImage();
  const QRect row1 = list.visualItemRect(list.item(1));
  EXPECT_EQ(shown.pixelColor(list.viewport()->mapTo(&list, row1.center() + QPoint(100, 0))),
            QColor(0xB2, 0xB2, 0x8E));
  const QRect row2 = list.visualItemRect(list.item(2));
  EXPECT_EQ(shown.pixelColor(list.viewport()->mapTo(&list, row2.center() + QPoint(100, 0))),
            QColor(0xFF, 0xFF, 0xCC));
  EXPECT_EQ(shown.pixelColor(list.viewport()->mapTo(&list, QPoint(row2.left(), row2.bottom()))),
            QColor(0x88, 0x88, 0x88))
      << "the frame";

  list.SetEntries({});
  EXPECT_EQ(list.count(), 0);
}

// A recording an impact cut short: greyed with a mark and its tooltip, and
// never selected, by a click or from code, so that it is not played; the
// accessibility tree tells the tooltip and that the row is not selectable.
TEST(FileListCtrl, ARecordingCutShortIsGreyedMarkedAndNeverSelected) {
  CFileListCtrl list;
  list.resize(300, 200);
  FileEntry cut = Entry("0612083010_G.MOV");
  cut.repairable = true;
  list.SetEntries({Entry("0612083000_A.MOV"), cut, Entry("0612083020_P.MOV")});
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  const QString tip = QStringLiteral("破損（修復できます）");
  EXPECT_EQ(list.item(1)->toolTip(), tip);
  EXPECT_EQ(list.item(0)->toolTip(), QString());

  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&list);
  ASSERT_NE(table, nullptr);
  QAccessibleInterface* rows[] = {table->child(0), table->child(1)};
  ASSERT_NE(rows[0], nullptr);
  ASSERT_NE(rows[1], nullptr);
  EXPECT_EQ(rows[1]->text(QAccessible::Name), QStringLiteral("0612083010_G"));
  EXPECT_EQ(rows[1]->text(QAccessible::Description), tip);
  EXPECT_FALSE(rows[1]->state().selectable);
  EXPECT_TRUE(rows[0]->state().selectable);

  QSignalSpy selected(&list, &CFileListCtrl::rowSelected);
  const QRect cutRow = list.visualItemRect(list.item(1));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cutRow.center());
  list.SelectRow(1);
  EXPECT_EQ(selected.count(), 0);
  EXPECT_TRUE(list.selectedItems().isEmpty());
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                    list.visualItemRect(list.item(2)).center());
  ASSERT_EQ(selected.count(), 1);
  EXPECT_EQ(selected.at(0).at(0).toInt(), 2);

  // The text in grey, no black in it, after a mark in colour.
  const QImage shown = list.grab().toImage();
  const auto colours = [&](const QRect& box) {
    int black = 0;
    int coloured = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
      for (int x = box.left(); x <= box.right(); ++x) {
        const QColor c = shown.pixelColor(list.viewport()->mapTo(&list, QPoint(x, y)));
        black += c.value() < 40 ? 1 : 0;
        coloured += c.saturation() > 100 ? 1 : 0;
      }
    }
    return std::pair(black, coloured);
  };
  const QRect plainRow = list.visualItemRect(list.item(0));
  const QMargins text(24, 1, 1, 1);  // right of where the mark goes
  EXPECT_EQ(colours(cutRow - text).first, 0);
  EXPECT_GT(colours(plainRow - text).first, 0);
  EXPECT_GT(colours(cutRow.adjusted(1, 1, -1, -1)).second, 0);
  EXPECT_EQ(colours(plainRow.adjusted(1, 1, -1, -1)).second, 0);
}

}  // namespace
