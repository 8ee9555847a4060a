// The main window's commands on a generated card with the real engine: the
// buttons and the popup menu by play state, the snapshot and the CSV export.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mkcard/frame_barcode.h"
#include "modal_script.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "scratch_mount.h"
#include "window_on_card.h"

namespace {

constexpr int kOpenMs = 20000;

class Commands : public WindowOnCard<3, 5> {
 protected:
  void SetUp() override {
    WindowOnCard::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(dlg_->ListSource(SourceKind::kCard, card_->root()));
  }

  bool OpenRow(int row) {
    dlg_->fileList()->SelectRow(row);
    return QTest::qWaitFor(
        [&] { return dlg_->playback().currentIndex() == row && dlg_->playback().openComplete(); },
        kOpenMs);
  }
  void Click(int command) { dlg_->commandButton(command)->click(); }
  bool Enabled(int command) { return dlg_->commandButton(command)->isEnabled(); }

  // The popup menu's items as "text" or "(text)" for a greyed one, "-" for
  // a separator, read from the real menu.
  QStringList PopupMenu() {
    QStringList items;
    QTimer::singleShot(100, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      for (QAction* action : menu->actions()) {
        items << (action->isSeparator() ? QStringLiteral("-")
                  : action->isEnabled() ? action->text()
                                        : QStringLiteral("(%1)").arg(action->text()));
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            dlg_->videoSurface()->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(dlg_->videoSurface(), &event);
    return items;
  }
};

std::optional<mkcard::FrameBarcode> BarcodeOf(const QString& jpeg) {
  const QImage grey = QImage(jpeg).convertToFormat(QImage::Format_Grayscale8);
  if (grey.isNull()) return std::nullopt;
  return mkcard::ReadFrameBarcode(grey.constBits(), grey.width(), grey.height(),
                                  static_cast<int>(grey.bytesPerLine()));
}

TEST_F(Commands, ButtonsAndPopupMenuFollowThePlayState) {
  ASSERT_TRUE(OpenRow(0));
  EXPECT_TRUE(dlg_->csvExportAvailable()) << "a card with recordings";
  EXPECT_FALSE(Enabled(kCmdToStart)) << "stopped";
  EXPECT_FALSE(Enabled(kCmdPrevious)) << "the first recording";
  EXPECT_TRUE(Enabled(kCmdNext));
  EXPECT_TRUE(Enabled(kCmdJoin));
  EXPECT_TRUE(Enabled(kCmdCsv));
  // Every control a person or a screen reader can use has a name.
  int controls = 0;
  for (QWidget* widget : dlg_->findChildren<QWidget*>()) {
    if (!widget->isVisible() || qobject_cast<QScrollBar*>(widget) != nullptr ||
        (!qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QAbstractSlider*>(widget) &&
         !qobject_cast<QAbstractItemView*>(widget))) {
      continue;
    }
    ++controls;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
        << widget->metaObject()->className() << " " << widget->objectName().toStdString();
  }
  EXPECT_GE(controls, 13 + 3 + 2) << "the bar, the title buttons and the two sliders at least";
  // The items after those of play, the same in every play state.
  const QStringList others = {"-",
                              "静止画",
                              "設定",
                              "-",
                              "参照",
                              "-",
                              "車両情報",
                              "イベント一覧",
                              "GPX出力",
                              "-",
                              "開始点を設定",
                              "終了点を設定",
                              "(クリップを書き出す…)",
                              "-",
                              "逆再生",
                              "1コマ進む",
                              "1コマ戻る",
                              "キー操作一覧"};
  EXPECT_EQ(PopupMenu(), QStringList{"再生"} + others);

  Click(kCmdPlayPause);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->engineState()->playState == 2; }, kOpenMs));
  EXPECT_TRUE(Enabled(kCmdToStart));
  EXPECT_EQ(dlg_->playButton()->toolTip(), QStringLiteral("一時停止"));
  EXPECT_EQ(PopupMenu(), QStringList({"一時停止", "停止", "早送り", "スロー"}) + others);
  Click(kCmdFaster);
  Click(kCmdFaster);
  EXPECT_EQ(dlg_->engineState()->rateCode, 4);
  EXPECT_FALSE(Enabled(kCmdFaster)) << "x4 is the fastest";
  EXPECT_EQ(PopupMenu().at(2), QStringLiteral("(早送り)"));

  Click(kCmdPlayPause);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->engineState()->playState == 3; }, kOpenMs));
  EXPECT_EQ(dlg_->engineState()->rateCode, 1) << "pausing returns to x1";
  EXPECT_EQ(PopupMenu(), QStringList({"再生", "停止", "(早送り)", "(スロー)"}) + others);
  dlg_->playback().SeekTo(60);
  Click(kCmdToStart);
  EXPECT_EQ(dlg_->seekSlider()->pos(), 0) << "back at the start";
  EXPECT_EQ(dlg_->engineState()->playState, 1) << "stopped";
  EXPECT_FALSE(Enabled(kCmdToStart));

  Click(kCmdNext);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return dlg_->playback().currentIndex() == 1 && dlg_->playback().openComplete(); },
      kOpenMs));
  EXPECT_TRUE(Enabled(kCmdPrevious));
  Click(kCmdPrevious);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return dlg_->playback().currentIndex() == 0 && dlg_->playback().openComplete(); },
      kOpenMs));
  // A folder's recordings are listed as CSV and joined as a card's are.
  ASSERT_TRUE(dlg_->ListSource(SourceKind::kFolder, card_->dcim()));
  EXPECT_TRUE(dlg_->csvExportAvailable());
  EXPECT_TRUE(Enabled(kCmdCsv));
  EXPECT_TRUE(Enabled(kCmdJoin));
  EXPECT_TRUE(Enabled(kCmdDelete));
}

TEST_F(Commands, SnapshotSavesTheFrameOnShowAndAsksBeforeOverwriting) {
  ASSERT_TRUE(OpenRow(1));
  dlg_->playback().SeekTo(123);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return engine::GetPosition(dlg_->engineState()) == 123; }, kOpenMs));
  const QString shots = work_.filePath(QStringLiteral("Shots"));
  ASSERT_TRUE(QDir().mkpath(shots));
  const FileEntry entry = dlg_->fileList()->entries()[1];
  const QString expected = QStringLiteral("%1/Shots-%2-%3_%4_000123.jpg")
                               .arg(shots, QFileInfo(card_->Path(1)).completeBaseName())
                               .arg(entry.reserved, 3, 10, QLatin1Char('0'))
                               .arg(entry.serial, 3, 10, QLatin1Char('0'));
  const auto pickFolder = [](const QString& folder) {
    return [folder](QFileDialog* dialog) {
      dialog->setDirectory(folder);
      QMetaObject::invokeMethod(dialog, "accept");
    };
  };

  ModalScript first;
  first.Then<QFileDialog>(pickFolder(shots)).Box();
  Click(kCmdSnapshot);
  ASSERT_TRUE(first.done());
  EXPECT_EQ(first.boxes, std::vector<QString>{"完了しました。"});
  ASSERT_TRUE(QFileInfo::exists(expected)) << expected.toStdString();
  const auto code = BarcodeOf(expected);
  ASSERT_TRUE(code.has_value());
  // Engine frame 123 is the picture shown 123 frame units into the movie.
  const double unitMs = engine::GetFrameUnit(dlg_->engineState());
  EXPECT_EQ(code->frame, static_cast<int>(123 * unitMs * 30 / 1000));
  EXPECT_EQ(code->recording, 1);

  QFile::resize(expected, 10);
  ModalScript again;
  again.Then<QFileDialog>(pickFolder(shots)).Box(QMessageBox::Cancel);
  Click(kCmdSnapshot);
  EXPECT_EQ(again.boxes, std::vector<QString>{"同名のファイルが存在します。続行しますか？"});
  EXPECT_EQ(QFileInfo(expected).size(), 10) << "Cancel writes nothing";

  ScratchMount readOnly(1 << 20);
  if (!readOnly.ok() || !readOnly.MakeReadOnly()) GTEST_SKIP() << readOnly.error();
  ModalScript refused;
  refused.Then<QFileDialog>(pickFolder(QString::fromStdString(readOnly.path().string()))).Box();
  Click(kCmdSnapshot);
  EXPECT_EQ(refused.boxes, std::vector<QString>{"画像の保存に失敗しました。"});
  EXPECT_TRUE(QDir(QString::fromStdString(readOnly.path().string()))
                  .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                  .isEmpty());
  EXPECT_TRUE(Enabled(kCmdSnapshot)) << "the controls come back";
}

TEST_F(Commands, CsvExportWritesTheListAndReturnsToTheFrameShown) {
  ASSERT_TRUE(OpenRow(1));
  dlg_->playback().SeekTo(60);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return engine::GetPosition(dlg_->engineState()) == 60; }, kOpenMs));
  const QString out = work_.filePath(QStringLiteral("csv"));
  ASSERT_TRUE(QDir().mkpath(out));
  ModalScript script;
  script
      .Then<QFileDialog>([out](QFileDialog* dialog) {
        dialog->setDirectory(out);
        QMetaObject::invokeMethod(dialog, "accept");
      })
      .Box();
  Click(kCmdCsv);
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }, kOpenMs));
  EXPECT_EQ(script.boxes, std::vector<QString>{"完了しました。"});
  const QStringList lists = QDir(out).entryList({QStringLiteral("Dv_*.csv")});
  ASSERT_EQ(lists.size(), 1);
  QFile csv(QDir(out).filePath(lists.front()));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(csv.readAll().count("\r\n"), 4) << "the header and three recordings";
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return dlg_->playback().openComplete() && engine::GetPosition(dlg_->engineState()) == 60;
      },
      kOpenMs));
  EXPECT_EQ(dlg_->playback().currentIndex(), 1);
  EXPECT_EQ(dlg_->engineState()->playState, 3) << "paused at the frame it showed";
  EXPECT_TRUE(Enabled(kCmdCsv));
}

}  // namespace
