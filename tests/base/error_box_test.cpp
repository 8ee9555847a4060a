#include "base/error_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "base/ui_text.h"

namespace {

TEST(ShowErrorBox, ShowsTheTextUnderErrorWithOneOkButton) {
  QString caption;
  QString text;
  qsizetype buttons = 0;
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [&, timer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    timer->stop();
    timer->deleteLater();
    caption = box->windowTitle();
    text = box->text();
    buttons = box->buttons().size();
    box->button(QMessageBox::Ok)->click();
  });
  timer->start(10);
  ShowErrorBox(nullptr, UiTextIn(0, 98));
  EXPECT_EQ(caption, QStringLiteral("ERROR"));
  EXPECT_EQ(text, QStringLiteral("フォルダパスの取得に失敗しました。"));
  EXPECT_EQ(buttons, 1);
}

}  // namespace
