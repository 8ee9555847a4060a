#include "views/setting_dlg.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "base/app_message.h"
#include "base/display_choices.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "render/overlay_settings.h"
#include "scoped_work_folder.h"
#include "views/overlay_choices.h"

namespace {

// Stands in for the main window: keeps the messages posted to it.
class MessageTarget : public QObject {
 public:
  std::vector<std::pair<std::intptr_t, std::intptr_t>> iconKinds;
  int clockChanges = 0;

 protected:
  bool event(QEvent* event) override {
    if (auto* m = dynamic_cast<AppMessageEvent*>(event)) {
      if (m->message() == CSettingDlg::kMessageIconKind)
        iconKinds.emplace_back(m->wParam(), m->lParam());
      if (m->message() == CSettingDlg::kMessageClockChanged) ++clockChanges;
      return true;
    }
    return QObject::event(event);
  }
};

void ClickBox(QCheckBox* box) {
  QStyleOptionButton option;
  option.initFrom(box);
  const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

TEST(SettingDlg, ControlsInEveryWording) {
  const struct {
    const char* locale;
    UiLanguageChoice choice;
    QString title;
    QString labels[4];
    QString iconGroup;
    QString versionGroup;
    QString displayGroup;
    QString overlayGroup;
    QString cancel;
    QStringList languages;
  } wordings[] = {
      {"ja_JP",
       UiLanguageChoice::kAuto,
       QStringLiteral("設定"),
       {QStringLiteral("ドライブサポート"), QStringLiteral("緊急録画停止"),
        QStringLiteral("駐車監視衝撃"), QStringLiteral("速度超過")},
       QStringLiteral("加速度グラフ/マップアイコン表示設定"),
       QStringLiteral("バージョン情報"),
       QStringLiteral("表示"),
       QStringLiteral("MP4のデータ表示"),
       QStringLiteral("キャンセル"),
       {QStringLiteral("自動"), QStringLiteral("日本語"), QStringLiteral("English")}},
      {"en_US",
       UiLanguageChoice::kAuto,
       QStringLiteral("設定"),
       {QStringLiteral("ドライブサポート"), QStringLiteral("緊急録画停止"),
        QStringLiteral("駐車監視"), QStringLiteral("速度超過")},
       QStringLiteral("表示設定"),
       QStringLiteral("バージョン情報"),
       QStringLiteral("表示"),
       QStringLiteral("MP4のデータ表示"),
       QStringLiteral("キャンセル"),
       {QStringLiteral("自動"), QStringLiteral("日本語"), QStringLiteral("English")}},
      {"ja_JP",
       UiLanguageChoice::kEnglish,
       QStringLiteral("Settings"),
       {QStringLiteral("Drive support"), QStringLiteral("Emergency stop"),
        QStringLiteral("Parking impact"), QStringLiteral("Speeding")},
       QStringLiteral("G-sensor graph and map icons"),
       QStringLiteral("Version"),
       QStringLiteral("Display"),
       QStringLiteral("Data on MP4 clips"),
       QStringLiteral("Cancel"),
       {QStringLiteral("Automatic"), QStringLiteral("Japanese"), QStringLiteral("English")}},
  };
  const QRect boxRects[] = {QRect(40, 40, 160, 40), QRect(40, 100, 160, 40),
                            QRect(240, 40, 160, 40), QRect(240, 100, 160, 40)};
  for (const auto& wording : wordings) {
    SCOPED_TRACE(wording.title.toStdString() + " " + wording.locale);
    SetUiLanguageChoice(wording.choice);
    ChooseUiLanguage(QLocale(QString::fromLatin1(wording.locale)));
    MessageTarget target;
    CSettingDlg dialog(&target);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), wording.title);
    EXPECT_EQ(dialog.size(), QSize(460, 616));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((dialog.geometry().center() - screen.center()).manhattanLength(), 2);

    for (int i = 0; i < CSettingDlg::kKindCount; ++i) {
      auto* box = dialog.findChild<QCheckBox*>(QString::number(32968 + i));
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(dialog.kindBox(i), box);
      EXPECT_EQ(box->geometry(), boxRects[i]);
      EXPECT_EQ(box->text(), wording.labels[i]);
      EXPECT_TRUE(box->isChecked()) << "every kind shown at start";
      EXPECT_TRUE(box->isVisible());
    }
    EXPECT_EQ(dialog.kindBox(4), nullptr);

    std::vector<std::pair<QString, QRect>> groups;
    for (const QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
      groups.emplace_back(group->title(), group->geometry());
    }
    std::sort(groups.begin(), groups.end(),
              [](const auto& a, const auto& b) { return a.second.top() < b.second.top(); });
    const std::vector<std::pair<QString, QRect>> expectedGroups = {
        {wording.iconGroup, QRect(10, 10, 430, 160)},
        {wording.versionGroup, QRect(10, 170, 430, 110)},
        {wording.displayGroup, QRect(10, 280, 430, 160)},
        {wording.overlayGroup, QRect(10, 435, 430, 125)}};
    EXPECT_EQ(groups, expectedGroups);
    // The boxes lie over the group box, so that clicks reach them.
    EXPECT_EQ(dialog.childAt(boxRects[2].topLeft() + QPoint(5, 20)), dialog.kindBox(2));

    auto* version = dialog.findChild<QLabel*>(QStringLiteral("32981"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->geometry(), QRect(20, 190, 410, 60));
    EXPECT_EQ(version->text(), CSettingDlg::VersionText());

    QStringList buttons;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
      buttons << button->text();
    }
    EXPECT_EQ(buttons,
              (QStringList{UiText(131), UiText(132), QStringLiteral("OK"), wording.cancel}));
    QStringList languages;
    for (int row = 0; row < dialog.languageList()->count(); ++row) {
      languages << dialog.languageList()->itemText(row);
    }
    EXPECT_EQ(languages, wording.languages);
    EXPECT_EQ(dialog.speedUnitList()->count(), 2);
    EXPECT_EQ(dialog.speedUnitList()->itemText(0), u"km/h");
    EXPECT_EQ(dialog.speedUnitList()->itemText(1), u"mph");
    // Every text fits its place (the note that the choices take effect at
    // the next start among them).
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
      if (label == version) continue;
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
          << label->text().toStdString();
    }
    for (const QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
      EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
    }
    // Every control the window holds is named (a list's and a box's inner
    // parts are named by their control).
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(child);
      ASSERT_NE(accessible, nullptr);
      EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
          << child->metaObject()->className() << " " << child->objectName().toStdString();
    }
  }
  SetUiLanguageChoice(UiLanguageChoice::kAuto);
  ChooseUiLanguage(QLocale(QStringLiteral("ja_JP")));
}

QString FileValue(const char* key) {
  return ReadIniString(QStringLiteral("DISPLAY"), QString::fromLatin1(key));
}

TEST(SettingDlg, OkWritesTheChangedDisplayChoicesForTheNextStart) {
  ScopedWorkFolder folder;
  ASSERT_TRUE(
      WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("LANGUAGE"), QStringLiteral("en")));
  ASSERT_TRUE(WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("SPEED_UNIT"),
                             QStringLiteral("mph")));
  CSettingDlg dialog(nullptr);
  dialog.show();
  EXPECT_EQ(dialog.languageList()->currentIndex(), 2) << "English, as in the file";
  EXPECT_EQ(dialog.speedUnitList()->currentIndex(), 1) << "mph, as in the file";

  // Cancel writes nothing, and the next opening shows the file again.
  dialog.languageList()->setCurrentIndex(1);
  dialog.reject();
  EXPECT_EQ(FileValue("LANGUAGE"), u"en");
  dialog.show();
  EXPECT_EQ(dialog.languageList()->currentIndex(), 2);

  dialog.languageList()->setCurrentIndex(1);
  dialog.speedUnitList()->setCurrentIndex(0);
  dialog.accept();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(FileValue("LANGUAGE"), u"ja");
  EXPECT_EQ(FileValue("SPEED_UNIT"), u"kmh");
  TakeDisplayChoices(std::nullopt, QLocale(QStringLiteral("en_US")));
  EXPECT_EQ(uiLanguage(), 0) << "taken at the next start";
  EXPECT_EQ(shownSpeedUnit(), SpeedUnit::kKmh);

  // A value the viewer does not know shows as the default and stays in the
  // file until the user changes that choice.
  ASSERT_TRUE(
      WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("LANGUAGE"), QStringLiteral("fr")));
  ASSERT_TRUE(WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("SPEED_UNIT"),
                             QStringLiteral("knots")));
  dialog.show();
  EXPECT_EQ(dialog.languageList()->currentIndex(), 0);
  EXPECT_EQ(dialog.speedUnitList()->currentIndex(), 0);
  dialog.accept();
  EXPECT_EQ(FileValue("LANGUAGE"), u"fr");
  EXPECT_EQ(FileValue("SPEED_UNIT"), u"knots");
  dialog.show();
  dialog.speedUnitList()->setCurrentIndex(1);
  dialog.accept();
  EXPECT_EQ(FileValue("LANGUAGE"), u"fr");
  EXPECT_EQ(FileValue("SPEED_UNIT"), u"mph");
  TakeDisplayChoices(std::nullopt, QLocale(QStringLiteral("ja_JP")));
  EXPECT_EQ(shownSpeedUnit(), SpeedUnit::kMph);
  ChooseSpeedUnit(SpeedUnit::kKmh);
}

TEST(SettingDlg, OkWritesTheClockAndTheMapSourceAndTheClockIsTakenAtOnce) {
  ScopedWorkFolder folder;
  const QString tiles = folder.filePath(QStringLiteral("tiles"));
  for (const auto& [section, key, value] :
       {std::tuple{"DISPLAY", "TIME_ZONE", QStringLiteral("Asia/Tokyo")},
        std::tuple{"DISPLAY", "TIME_OFFSET", QStringLiteral("-30")},
        std::tuple{"MAP", "TILE_URL", tiles}}) {
    ASSERT_TRUE(WriteIniString(QString::fromLatin1(section), QString::fromLatin1(key), value));
  }
  MessageTarget target;
  CSettingDlg dialog(&target);
  dialog.show();
  EXPECT_EQ(dialog.timeZoneList()->itemText(0), QString::fromLatin1(QTimeZone::systemTimeZoneId()))
      << "the system's zone first";
  EXPECT_GT(dialog.timeZoneList()->count(), 100);
  EXPECT_EQ(dialog.timeZoneList()->currentText(), u"Asia/Tokyo");
  EXPECT_EQ(dialog.clockOffsetBox()->value(), -30);
  EXPECT_EQ(dialog.tileSourceBox()->currentText(), tiles);

  // OK without a change writes nothing and posts nothing.
  dialog.accept();
  QCoreApplication::sendPostedEvents(&target);
  EXPECT_EQ(target.clockChanges, 0);
  EXPECT_EQ(FileValue("TIME_OFFSET"), u"-30");

  dialog.show();
  dialog.timeZoneList()->setCurrentText(QStringLiteral("Europe/Paris"));
  dialog.clockOffsetBox()->setValue(120);
  dialog.tileSourceBox()->setCurrentIndex(0);  // the standard server
  dialog.accept();
  QCoreApplication::sendPostedEvents(&target);
  EXPECT_EQ(target.clockChanges, 1);
  EXPECT_EQ(ReadTimeZone(), u"Europe/Paris");
  EXPECT_EQ(ReadTimeOffset(), 120);
  EXPECT_EQ(ReadTileUrl(), QString()) << "the standard server";

  // Another server's address typed in; a zone the list does not know shows
  // as the system's and stays in the file while the user keeps it.
  ASSERT_TRUE(WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("TIME_ZONE"),
                             QStringLiteral("Mars/Olympus")));
  dialog.show();
  EXPECT_EQ(dialog.timeZoneList()->currentIndex(), 0);
  const QString server = QStringLiteral("http://127.0.0.1:8080/{z}/{x}/{y}.png");
  dialog.tileSourceBox()->setEditText(server);
  dialog.accept();
  EXPECT_EQ(ReadTimeZone(), u"Mars/Olympus");
  EXPECT_EQ(ReadTileUrl(), server);
}

TEST(SettingDlg, AChoiceThatCannotBeWrittenSaysSoAndStaysOpen) {
  auto folder = std::make_unique<ScopedWorkFolder>();
  CSettingDlg dialog(nullptr);
  dialog.show();
  ASSERT_TRUE(QDir(folder->path()).removeRecursively());  // no file can be made there
  dialog.speedUnitList()->setCurrentIndex(1);
  QString message;
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [&message, timer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    timer->stop();
    timer->deleteLater();
    message = box->text();
    box->accept();
  });
  timer->start(10);
  dialog.accept();
  EXPECT_EQ(message, UiText(151));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.speedUnitList()->currentIndex(), 1) << "the choice is kept";
}

TEST(SettingDlg, TogglesPostTheKindAndButtonsOnlyHide) {
  MessageTarget target;
  auto dialog = std::make_unique<CSettingDlg>(&target);
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));

  ClickBox(dialog->kindBox(2));
  EXPECT_FALSE(dialog->kindBox(2)->isChecked());
  ClickBox(dialog->kindBox(2));
  ClickBox(dialog->kindBox(0));
  EXPECT_TRUE(target.iconKinds.empty()) << "posted, not sent";
  QCoreApplication::sendPostedEvents(&target);
  const std::vector<std::pair<std::intptr_t, std::intptr_t>> expected = {{2, 0}, {2, 1}, {0, 0}};
  EXPECT_EQ(target.iconKinds, expected);
  EXPECT_TRUE(dialog->kindBox(2)->isChecked());
  EXPECT_FALSE(dialog->kindBox(0)->isChecked());

  for (const QString& text : {QStringLiteral("OK"), QStringLiteral("キャンセル")}) {
    dialog->show();
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (button->text() == text) QTest::mouseClick(button, Qt::LeftButton);
    }
    EXPECT_FALSE(dialog->isVisible()) << text.toStdString();
    EXPECT_FALSE(dialog->kindBox(0)->isChecked()) << "the states stay";
  }

  // A target that has gone gets nothing, and nothing breaks.
  {
    auto gone = std::make_unique<MessageTarget>();
    CSettingDlg orphan(gone.get());
    gone.reset();
    orphan.kindBox(1)->click();
    QCoreApplication::sendPostedEvents();
  }
}

TEST(SettingDlg, VersionTextCarriesTheBuildYear) {
  EXPECT_EQ(CSettingDlg::VersionText("Aug 18 2022"),
            QStringLiteral("version 2.0.0.0\nCopyright (C) 2022 the Kestrel Viewer project"));
  EXPECT_EQ(CSettingDlg::VersionText("Dec  9 2026"),
            QStringLiteral("version 2.0.0.0\nCopyright (C) 2026 the Kestrel Viewer project"));
  const QString built = QString::fromLatin1(__DATE__);
  EXPECT_EQ(CSettingDlg::VersionText(),
            QStringLiteral("version 2.0.0.0\nCopyright (C) %1 the Kestrel Viewer project")
                .arg(built.right(4)));
  EXPECT_EQ(CSettingDlg::VersionText(""),
            QStringLiteral("version 2.0.0.0\nCopyright (C) the Kestrel Viewer project"));
}

QString OverlayValue(const char* key) {
  return ReadIniString(QStringLiteral("OVERLAY"), QString::fromLatin1(key));
}

TEST(SettingDlg, OkWritesTheChangedOverlayChoicesAndKeepsUnknownOnes) {
  ScopedWorkFolder folder;
  const QString overlay = QStringLiteral("OVERLAY");
  ASSERT_TRUE(WriteIniString(overlay, QStringLiteral("SIZE"), QStringLiteral("XL")));
  ASSERT_TRUE(WriteIniString(overlay, QStringLiteral("PLACE"), QStringLiteral("top")));
  ASSERT_TRUE(WriteIniString(overlay, QStringLiteral("PRESET"), QStringLiteral("placebo")));
  CSettingDlg dialog(nullptr);
  dialog.show();
  OverlayChoices* choices = dialog.overlayChoices();
  EXPECT_EQ(choices->sizeList()->currentText(), u"M") << "an unknown size shows the default";
  EXPECT_EQ(choices->placeList()->currentIndex(), 1) << "along the top, as in the file";
  EXPECT_EQ(choices->presetList()->currentText(),
            QString::fromLatin1(kDefaultRenderPreset.data(),
                                static_cast<qsizetype>(kDefaultRenderPreset.size())));
  for (int block = 0; block < kOverlayBlockCount; ++block)
    EXPECT_TRUE(choices->blockBox(static_cast<OverlayBlock>(block))->isChecked()) << block;

  // Cancel writes nothing.
  choices->blockBox(kBlockMap)->setChecked(false);
  dialog.reject();
  EXPECT_EQ(OverlayValue("BLOCKS"), u"");

  dialog.show();
  EXPECT_TRUE(choices->blockBox(kBlockMap)->isChecked());
  choices->blockBox(kBlockMap)->setChecked(false);
  choices->blockBox(kBlockG)->setChecked(false);
  choices->outputList()->setCurrentIndex(1);
  choices->presetList()->setCurrentText(QStringLiteral("fast"));
  dialog.accept();
  EXPECT_EQ(OverlayValue("BLOCKS"), u"time,speed,events");
  EXPECT_EQ(OverlayValue("OUTPUT_SIZE"), u"720p");
  EXPECT_EQ(OverlayValue("PRESET"), u"fast");
  EXPECT_EQ(OverlayValue("SIZE"), u"XL") << "left as the user wrote it";
  EXPECT_EQ(OverlayValue("PLACE"), u"top");

  // What the window renders with; no block at all is a choice too.
  ASSERT_TRUE(WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("TIME_OFFSET"),
                             QStringLiteral("-7")));
  const RenderOptions options = RenderOptionsFromSettings();
  EXPECT_EQ(options.blocks, (OverlayBlocks{true, true, false, true, false}));
  EXPECT_EQ(options.scale, OverlayScale::kMedium);
  EXPECT_EQ(options.place, OverlayPlace::kTop);
  EXPECT_EQ(options.size, RenderSize::k720p);
  EXPECT_EQ(options.preset, "fast");
  EXPECT_EQ(options.timeOffsetSeconds, -7);
  dialog.show();
  for (int block = 0; block < kOverlayBlockCount; ++block)
    choices->blockBox(static_cast<OverlayBlock>(block))->setChecked(false);
  dialog.accept();
  EXPECT_EQ(OverlayValue("BLOCKS"), u"none");
  EXPECT_EQ(ReadOverlaySettings().blocks, OverlayBlocks{});
}

}  // namespace
