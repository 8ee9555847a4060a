#include "base/fitted_text.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <memory>

namespace {

const QString kLong = QStringLiteral("Choose a healthy recording from the same camera");
const QString kShort = QStringLiteral("OK");

// A text in its place: whole and without a tooltip where it fits, else cut
// with an ellipsis within the room, the whole text in its tooltip; the
// accessible name is the whole text either way.
template <typename Widget>
void ExpectFitted(Widget& widget, int room, const QString& whole) {
  SCOPED_TRACE(whole.toStdString());
  EXPECT_LE(widget.fontMetrics().horizontalAdvance(widget.text()), room);
  EXPECT_EQ(widget.accessibleName(), whole);
  if (widget.fontMetrics().horizontalAdvance(whole) <= room) {
    EXPECT_EQ(widget.text(), whole);
    EXPECT_TRUE(widget.toolTip().isEmpty());
  } else {
    EXPECT_TRUE(widget.text().endsWith(QChar(0x2026))) << widget.text().toStdString();
    EXPECT_TRUE(whole.startsWith(widget.text().chopped(1)));
    EXPECT_EQ(widget.toolTip(), whole);
  }
}

TEST(FittedText, LabelsAndButtonsKeepTheirWidth) {
  QLabel label;
  QPushButton push;
  QCheckBox box;
  for (const int width : {60, 400}) {
    SCOPED_TRACE(width);
    label.setFixedWidth(width);
    push.setFixedWidth(width);
    box.setFixedWidth(width);
    for (const QString& text : {kLong, kShort}) {
      SetFittedText(&label, text);
      ExpectFitted(label, label.contentsRect().width(), text);
      SetFittedText(&push, text);
      ExpectFitted(push, ButtonTextRoom(&push), text);
      SetFittedText(&box, text);
      ExpectFitted(box, ButtonTextRoom(&box), text);
    }
  }
  // The check box's indicator takes its share of the width.
  EXPECT_LT(ButtonTextRoom(&box), box.width());
}

// A shown text whose place narrows or widens later (the window modes size
// the widgets) is fitted again from its whole text.
TEST(FittedText, FittedAgainWhenTheWidthChanges) {
  QWidget window;
  auto* label = new QLabel(&window);
  auto* push = new QPushButton(&window);
  label->setGeometry(0, 0, 400, 24);
  push->setGeometry(0, 30, 400, 24);
  window.show();
  SetFittedText(label, kLong);
  SetFittedText(push, kLong);
  for (const int width : {60, 400, 120}) {
    SCOPED_TRACE(width);
    label->resize(width, 24);
    push->resize(width, 24);
    ExpectFitted(*label, label->contentsRect().width(), kLong);
    ExpectFitted(*push, ButtonTextRoom(push), kLong);
  }
  // A new text replaces the one fitted again.
  SetFittedText(label, kShort);
  label->resize(30, 24);
  label->resize(400, 24);
  EXPECT_EQ(label->text(), kShort);
}

}  // namespace
