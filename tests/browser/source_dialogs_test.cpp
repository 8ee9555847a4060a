#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "base/settings_file.h"
#include "browser/file_list_header_ctrl.h"
#include "browser/file_select_dlg.h"
#include "browser/source_open_dlg.h"
#include "scoped_work_folder.h"

namespace {

const QString kSection = QStringLiteral("SOURCE");

QString Saved(const char* key) { return ReadIniString(kSection, QString::fromLatin1(key)); }

TEST(SourceOpenDlg, RowsAndTheSavedChoice) {
  ScopedWorkFolder work;
  ASSERT_TRUE(WriteIniString(kSection, QStringLiteral("SELECT"), QStringLiteral("FILE")));
  ASSERT_TRUE(WriteIniString(kSection, QStringLiteral("FOLDER"), QStringLiteral("/videos")));
  ASSERT_TRUE(WriteIniString(kSection, QStringLiteral("FILE"), QStringLiteral("/videos/a.MOV")));
  CSourceOpenDlg dialog(nullptr, QStringLiteral("/nonexistent/mountinfo"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("参照先"));
  EXPECT_EQ(dialog.kind(), CSourceOpenDlg::kFileRadioId);
  EXPECT_EQ(dialog.folderField()->text(), QStringLiteral("/videos"));
  EXPECT_EQ(dialog.fileField()->text(), QStringLiteral("/videos/a.MOV"));
  EXPECT_EQ(dialog.driveBox()->count(), 0);
  EXPECT_EQ(dialog.driveBox()->geometry(), QRect(150, 30, 300, 26));
  const auto* card = dialog.findChild<QRadioButton*>(QStringLiteral("39000"));
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(card->text(), QStringLiteral("SDカード"));
  EXPECT_EQ(card->geometry(), QRect(30, 30, 120, 26));
  EXPECT_EQ(dialog.findChild<QRadioButton*>(QStringLiteral("39001"))->text(),
            QStringLiteral("フォルダー"));
  EXPECT_EQ(dialog.findChild<QRadioButton*>(QStringLiteral("39002"))->text(),
            QStringLiteral("ファイル"));
  EXPECT_NE(dialog.findChild<QPushButton*>(QStringLiteral("39003")), nullptr);
  EXPECT_NE(dialog.findChild<QPushButton*>(QStringLiteral("39004")), nullptr);

  // The memory-card row without a drive cannot be confirmed.
  dialog.SelectKind(CSourceOpenDlg::kCardRadioId);
  EXPECT_TRUE(card->isChecked());
  EXPECT_FALSE(dialog.findChild<QRadioButton*>(QStringLiteral("39002"))->isChecked());
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  dialog.SelectKind(CSourceOpenDlg::kFolderRadioId);
  EXPECT_TRUE(dialog.okButton()->isEnabled());

  // Any other saved kind preselects the memory card.
  ASSERT_TRUE(WriteIniString(kSection, QStringLiteral("SELECT"), QStringLiteral("CARD")));
  CSourceOpenDlg other(nullptr, QStringLiteral("/nonexistent/mountinfo"));
  EXPECT_EQ(other.kind(), CSourceOpenDlg::kCardRadioId);
}

TEST(SourceOpenDlg, KeysWrittenOnOkOnly) {
  ScopedWorkFolder work;
  {
    CSourceOpenDlg dialog(nullptr, QStringLiteral("/nonexistent/mountinfo"));
    dialog.SelectKind(CSourceOpenDlg::kFolderRadioId);
    dialog.folderField()->setText(QStringLiteral("/media/videos"));
    dialog.reject();
    EXPECT_FALSE(QFile::exists(SettingsFilePath())) << "cancel writes nothing";
  }
  {
    CSourceOpenDlg dialog(nullptr, QStringLiteral("/nonexistent/mountinfo"));
    dialog.SelectKind(CSourceOpenDlg::kFolderRadioId);
    dialog.folderField()->setText(QStringLiteral("/media/videos"));
    dialog.fileField()->setText(QStringLiteral("/media/one.MOV"));
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.choice().kind, SourceKind::kFolder);
    EXPECT_EQ(dialog.choice().path, QStringLiteral("/media/videos"));
  }
  EXPECT_EQ(Saved("SELECT"), QStringLiteral("FOLDER"));
  EXPECT_EQ(Saved("FOLDER"), QStringLiteral("/media/videos"));
  EXPECT_EQ(Saved("FILE"), QString()) << "only the chosen row's key";

  CSourceOpenDlg dialog(nullptr, QStringLiteral("/nonexistent/mountinfo"));
  EXPECT_EQ(dialog.kind(), CSourceOpenDlg::kFolderRadioId);
  dialog.SelectKind(CSourceOpenDlg::kFileRadioId);
  dialog.fileField()->setText(QStringLiteral("/media/one.MOV"));
  dialog.accept();
  EXPECT_EQ(Saved("SELECT"), QStringLiteral("FILE"));
  EXPECT_EQ(Saved("FILE"), QStringLiteral("/media/one.MOV"));
  EXPECT_EQ(Saved("FOLDER"), QStringLiteral("/media/videos"));
}

std::vector<FileEntry> Entries(int count) {
  std::vector<FileEntry> entries;
  for (int i = 0; i < count; ++i) {
    FileEntry e;
    e.name = "06120830" + std::to_string(10 + i % 90) + "_A.MOV";
    e.fileSize = (static_cast<std::uint64_t>(i) + 1) << 20 | 0xFFFFF;  // i + 1 MiB and a bit
    entries.push_back(e);
  }
  return entries;
}

// Closes the next message box and notes its caption and text.
class MessageBoxCloser {
 public:
  MessageBoxCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      ++shown;
      caption = box->windowTitle();
      text = box->text();
      box->button(QMessageBox::Ok)->click();
    });
    timer_.start(10);
  }
  int shown = 0;
  QString caption, text;

 private:
  QTimer timer_;
};

TEST(FileSelectDlg, RowsSizesAndTotal) {
  MessageBoxCloser closer;
  CFileSelectDlg dialog(Entries(3));
  QTreeWidget* list = dialog.checkList();
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("ファイル名"));
  EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("ファイルサイズ"));
  EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("2 MB"));
  EXPECT_EQ(CFileSelectDlg::SizeText(5'000'000'000), QStringLiteral("4768 MB"));
  EXPECT_EQ(CFileSelectDlg::SizeText(0xFFFFF), QStringLiteral("0 MB"));
  EXPECT_EQ(dialog.totalLabel()->text(), QStringLiteral("0 MB"));
  dialog.SetTicked(0, true);
  dialog.SetTicked(2, true);
  // (1 MiB + 0xFFFFF) + (3 MiB + 0xFFFFF) = 5 MiB - 2 bytes.
  EXPECT_EQ(dialog.totalLabel()->text(), QStringLiteral("5 MB"));
  const std::vector<FileEntry> ticked = dialog.Ticked();
  ASSERT_EQ(ticked.size(), 2u);
  EXPECT_EQ(ticked[1].fileSize, dialog.entries()[2].fileSize);
  EXPECT_EQ(closer.shown, 0);
}

TEST(FileSelectDlg, AtMost1500RowsWithOneMessage) {
  MessageBoxCloser closer;
  CFileSelectDlg dialog(Entries(1600));
  EXPECT_EQ(dialog.checkList()->topLevelItemCount(), 1500);
  EXPECT_EQ(dialog.entries().size(), 1500u);
  EXPECT_EQ(closer.shown, 1);
  EXPECT_EQ(closer.caption, QStringLiteral("ERROR"));
  EXPECT_EQ(closer.text, QStringLiteral("表示数が1500を超えています。1500項目表示します。"));

  MessageBoxCloser quiet;
  CFileSelectDlg exact(Entries(1500));
  EXPECT_EQ(exact.checkList()->topLevelItemCount(), 1500);
  EXPECT_EQ(quiet.shown, 0);
}

TEST(FileSelectDlg, TickingInsideAShiftRangeTicksTheRange) {
  CFileSelectDlg dialog(Entries(6));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QTreeWidget* list = dialog.checkList();
  const auto rect = [&](int row) { return list->visualItemRect(list->topLevelItem(row)); };
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect(1).center());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, rect(3).center());
  ASSERT_EQ(list->selectedItems().size(), 3);

  // The check box of row 2, at the left of its row.
  const int box = list->style()->pixelMetric(QStyle::PM_IndicatorWidth);
  const QPoint tick(rect(2).left() + 3 + box / 2, rect(2).center().y());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, tick);
  std::vector<int> ticked;
  for (int row = 0; row < 6; ++row) {
    if (list->topLevelItem(row)->checkState(0) == Qt::Checked) ticked.push_back(row);
  }
  EXPECT_EQ(ticked, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(dialog.totalLabel()->text(), QStringLiteral("11 MB"));  // 12 MiB - 3 bytes

  // Outside a range only the row itself changes.
  list->clearSelection();
  dialog.SetTicked(5, true);
  EXPECT_EQ(dialog.Ticked().size(), 4u);
}

}  // namespace

namespace {

TEST(FileListHeaderCtrl, GreyGradientFrameAndWhiteTitle) {
  EXPECT_EQ(CFileListHeaderCtrl::GreyLevel(0, 24), 204);
  EXPECT_EQ(CFileListHeaderCtrl::GreyLevel(24, 24), 63);
  EXPECT_EQ(CFileListHeaderCtrl::GreyLevel(12, 24), 133);
  EXPECT_EQ(CFileListHeaderCtrl::BandHeight(24), 1);
  EXPECT_EQ(CFileListHeaderCtrl::BandHeight(509), 1);
  EXPECT_EQ(CFileListHeaderCtrl::BandHeight(510), 2);

  QImage image(120, 24, QImage::Format_RGB32);
  image.fill(Qt::black);
  {
    QPainter p(&image);
    CFileListHeaderCtrl::PaintItem(&p, image.rect(), QStringLiteral("ID"), QFont());
  }
  EXPECT_EQ(image.pixelColor(5, 1), QColor(198, 198, 198));      // (23 * 141 / 24) + 63
  EXPECT_EQ(image.pixelColor(5, 22), QColor(74, 74, 74));        // (2 * 141 / 24) + 63
  EXPECT_EQ(image.pixelColor(0, 12), QColor(0xAA, 0xAA, 0xAA));  // the frame
  EXPECT_EQ(image.pixelColor(119, 12), QColor(0xAA, 0xAA, 0xAA));
  int brightest = 0;  // the white title, centred, over grey 133 at mid-height
  for (int y = 4; y < 20; ++y) {
    for (int x = 40; x < 80; ++x) brightest = std::max(brightest, image.pixelColor(x, y).red());
  }
  EXPECT_GT(brightest, 230);

  CFileSelectDlg dialog({});
  EXPECT_NE(qobject_cast<CFileListHeaderCtrl*>(dialog.checkList()->header()), nullptr);
}

}  // namespace
