#include "views/setting_dlg.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTest>
#include <algorithm>
#include <utility>
#include <vector>

#include "base/app_message.h"
#include "base/ui_text.h"

namespace {

// Stands in for the main window: keeps the messages posted to it.
class MessageTarget : public QObject {
 public:
  std::vector<std::pair<std::intptr_t, std::intptr_t>> iconKinds;

 protected:
  bool event(QEvent* event) override {
    if (auto* m = dynamic_cast<AppMessageEvent*>(event)) {
      if (m->message() == CSettingDlg::kMessageIconKind)
        iconKinds.emplace_back(m->wParam(), m->lParam());
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

TEST(SettingDlg, ControlsInBothWordings) {
  const struct {
    const char* locale;
    QString labels[4];
    QString iconGroup;
  } wordings[] = {
      {"ja_JP",
       {QStringLiteral("ドライブサポート"), QStringLiteral("緊急録画停止"),
        QStringLiteral("駐車監視衝撃"), QStringLiteral("速度超過")},
       QStringLiteral("加速度グラフ/マップアイコン表示設定")},
      {"en_US",
       {QStringLiteral("ドライブサポート"), QStringLiteral("緊急録画停止"),
        QStringLiteral("駐車監視"), QStringLiteral("速度超過")},
       QStringLiteral("表示設定")},
  };
  const QRect boxRects[] = {QRect(40, 40, 160, 40), QRect(40, 100, 160, 40),
                            QRect(240, 40, 160, 40), QRect(240, 100, 160, 40)};
  for (const auto& wording : wordings) {
    SCOPED_TRACE(wording.locale);
    ChooseUiLanguage(QLocale(QString::fromLatin1(wording.locale)));
    MessageTarget target;
    CSettingDlg dialog(&target);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("設定"));
    EXPECT_EQ(dialog.size(), QSize(460, 400));
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
        {QStringLiteral("バージョン情報"), QRect(10, 170, 430, 110)}};
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
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("キャンセル")}));
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(child);
      ASSERT_NE(accessible, nullptr);
      EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
          << child->metaObject()->className() << " " << child->objectName().toStdString();
    }
  }
  ChooseUiLanguage(QLocale(QStringLiteral("ja_JP")));
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

}  // namespace
