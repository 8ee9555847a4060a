#include "controls/skin_progress_bar_ctrl.h"

#include <QPainter>
#include <algorithm>

#include "base/shared_fonts.h"

CSkinProgressBarCtrl::CSkinProgressBarCtrl(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(kControlId));
  setAccessibleName(QStringLiteral("progress bar"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(fontNormal());
  resize(width(), kHeight);
}

void CSkinProgressBarCtrl::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  update();
}

void CSkinProgressBarCtrl::SetPos(int position) {
  position_ = position;
  repaint();
}

void CSkinProgressBarCtrl::Place(const QWidget* reference) {
  if (reference == nullptr) return;
  const QRect area = reference->geometry();
  setGeometry(area.left(), area.bottom() + 1 - kHeight, area.width(), kHeight);
  raise();
}

int CSkinProgressBarCtrl::FilledWidth(int width, int position, int minimum, int maximum) {
  if (maximum <= minimum || width <= 0) return 0;
  const double ratio =
      (static_cast<double>(position) - minimum) / (static_cast<double>(maximum) - minimum);
  return static_cast<int>(width * std::clamp(ratio, 0.0, 1.0));
}

void CSkinProgressBarCtrl::paintEvent(QPaintEvent*) {
  const int w = width();
  const int filled = FilledWidth(w, position_, minimum_, maximum_);
  const QRect done(0, 0, filled, kHeight);
  const QRect rest(filled, 0, w - filled, kHeight);
  const QRect label((w - kLabelWidth) / 2, 0, kLabelWidth, kHeight);
  const QString text = QStringLiteral("%1 %").arg(position_);

  QPainter p(this);
  p.fillRect(done, FillColour());
  p.fillRect(rest, RestColour());
  p.setClipRect(done);
  p.setPen(RestColour());
  p.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, text);
  p.setClipRect(rest);
  p.setPen(FillColour());
  p.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, text);
}
