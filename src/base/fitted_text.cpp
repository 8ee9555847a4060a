#include "base/fitted_text.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace {

constexpr auto kRefitterName = "kestrelTextRefitter";

int TextRoom(const QLabel* label) {
  return label->contentsRect().width() - 2 * label->margin() - std::max(label->indent(), 0);
}

int TextRoom(const QAbstractButton* button) { return ButtonTextRoom(button); }

// Keeps the whole text of a widget and fits it again whenever the widget's
// width changes (the window modes move and size the widgets). It is the
// widget's child, and goes with it.
template <typename Widget>
class Refitter : public QObject {
 public:
  explicit Refitter(Widget* widget) : QObject(widget), widget_(widget) {
    setObjectName(QString::fromLatin1(kRefitterName));
    widget->installEventFilter(this);
  }

  void Fit(const QString& text) {
    text_ = text;
    const QString shown = FittedText(text, widget_->fontMetrics(), TextRoom(widget_));
    widget_->setText(shown);
    widget_->setToolTip(shown == text ? QString() : text);
    widget_->setAccessibleName(text);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::Resize) {
      const auto* resize = static_cast<QResizeEvent*>(event);
      if (resize->size().width() != resize->oldSize().width()) Fit(text_);
    }
    return false;
  }

 private:
  Widget* widget_;
  QString text_;
};

template <typename Widget>
void Fit(Widget* widget, const QString& text) {
  auto* refitter = dynamic_cast<Refitter<Widget>*>(widget->template findChild<QObject*>(
      QString::fromLatin1(kRefitterName), Qt::FindDirectChildrenOnly));
  if (refitter == nullptr) refitter = new Refitter<Widget>(widget);
  refitter->Fit(text);
}

}  // namespace

QString FittedText(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  return metrics.elidedText(text, Qt::ElideRight, width);
}

void SetFittedText(QLabel* label, const QString& text) { Fit(label, text); }

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

void SetFittedText(QAbstractButton* button, const QString& text) { Fit(button, text); }
