#include "mainwnd/kestrel_dlg.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "scoped_work_folder.h"

namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

class KestrelDlg : public ::testing::Test {
 protected:
  void TearDown() override { DeleteSharedFonts(); }
  ScopedWorkFolder work_;
};

TEST_F(KestrelDlg, IsAFramelessWindowTitledQuendra3) {
  CKestrelDlg dlg;
  EXPECT_EQ(dlg.size(), QSize(1120, 700));
  EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize()) << "fixed size";
  EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Quendra3"));
  EXPECT_TRUE(SharedFontsCreated());
}

TEST_F(KestrelDlg, FirstStartCreatesTheSettingsFileInTheWorkingFolder) {
  CKestrelDlg dlg;
  EXPECT_EQ(ReadFile(work_.filePath(QStringLiteral("Default_Folder.ini"))),
            "[DISPLAY]\r\nINFOCHECK=31\r\nASPECT=on\r\nVOLUME=65535\r\n");
  EXPECT_TRUE(dlg.windowModes().keepAspect());
  EXPECT_EQ(dlg.playback().volumeLevel(), 65535);
}

TEST_F(KestrelDlg, LaterStartsReadTheSavedSettings) {
  const QByteArray saved = "[DISPLAY]\r\nASPECT=ON\r\nVOLUME=1200\r\n";
  {
    QFile file(work_.filePath(QStringLiteral("Default_Folder.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(saved);
  }
  CKestrelDlg dlg;
  EXPECT_FALSE(dlg.windowModes().keepAspect()) << "only \"on\" in lower case keeps the aspect";
  EXPECT_EQ(dlg.playback().volumeLevel(), 1200);
  EXPECT_EQ(ReadFile(work_.filePath(QStringLiteral("Default_Folder.ini"))), saved);
}

TEST_F(KestrelDlg, DrawsItsTitleInTheNormalFont) {
  CKestrelDlg dlg;
  const QImage shown = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);

  QImage expected(shown.size(), QImage::Format_RGB32);
  expected.fill(shown.pixel(700, 10));  // the window's background
  QPainter painter(&expected);
  painter.setFont(fontNormal());
  painter.setPen(Qt::white);
  painter.drawText(QRect(10, 4, 390, 26), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Quendra3"));
  painter.end();

  const QRect titleArea(0, 0, 420, 24);  // above the video surface
  EXPECT_EQ(shown.copy(titleArea), expected.copy(titleArea));
  int ink = 0;
  for (int y = titleArea.top(); y <= titleArea.bottom(); ++y) {
    for (int x = titleArea.left(); x <= titleArea.right(); ++x) {
      ink += shown.pixel(x, y) != shown.pixel(700, 10);
    }
  }
  EXPECT_GT(ink, 50) << "the title is drawn";
}

TEST_F(KestrelDlg, DragsByItsSurfaceAndCloses) {
  CKestrelDlg dlg;
  dlg.move(40, 30);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  QTest::mousePress(&dlg, Qt::LeftButton, Qt::NoModifier, QPoint(900, 200));
  QTest::mouseMove(&dlg, QPoint(920, 230));
  QTest::mouseRelease(&dlg, Qt::LeftButton, Qt::NoModifier, QPoint(920, 230));
  EXPECT_EQ(dlg.pos(), QPoint(60, 60));
  QTest::mouseMove(&dlg, QPoint(1000, 300));
  EXPECT_EQ(dlg.pos(), QPoint(60, 60)) << "no drag without a pressed button";

  dlg.close();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

}  // namespace
