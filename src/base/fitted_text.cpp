#include "base/fitted_text.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace {

// Shows `shown` in `widget`, whose whole text is `text`.
template <typename Widget>
void Show(Widget* widget, const QString& text, const QString& shown) {
  widget->setText(shown);
  widget->setToolTip(shown == text ? QString() : text);
  widget->setAccessibleName(text);
}

}  // namespace

QString FittedText(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  return metrics.elidedText(text, Qt::ElideRight, width);
}

void SetFittedText(QLabel* label, const QString& text) {
  const int room =
      label->contentsRect().width() - 2 * label->margin() - std::max(label->indent(), 0);
  Show(label, text, FittedText(text, label->fontMetrics(), room));
}

int ButtonTextRoom(const QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  QStyle::SubElement contents = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(button) != nullptr) contents = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(button) != nullptr) {
    contents = QStyle::SE_RadioButtonContents;
  }
  const QRect room = button->style()->subElementRect(contents, &option, button);
  const int iconRoom = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
  return room.width() - iconRoom;
}

void SetFittedText(QAbstractButton* button, const QString& text) {
  Show(button, text, FittedText(text, button->fontMetrics(), ButtonTextRoom(button)));
}
