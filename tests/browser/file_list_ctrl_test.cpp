#include "browser/file_list_ctrl.h"

#include <gtest/gtest.h>

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

}  // namespace
