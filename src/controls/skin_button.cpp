#include "controls/skin_button.h"

#include <QEvent>
#include <QPainter>

namespace {

// The strip with black made transparent.
QImage MaskBlack(const QImage& strip) {
  QImage masked = strip.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < masked.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
    for (int x = 0; x < masked.width(); ++x) {
      if ((line[x] & 0x00FFFFFF) == 0) line[x] = 0;
    }
  }
  return masked;
}

}  // namespace

CSkinButton::CSkinButton(QWidget* parent) : QAbstractButton(parent) {
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::NoFocus);
}

bool CSkinButton::Create(const QImage& strip, const QRect& rect, int id) {
  id_ = id;
  setObjectName(QString::number(id));
  frameSize_ = rect.size();
  setGeometry(rect);
  return ReplaceBitmap(strip);
}

bool CSkinButton::ReplaceBitmap(const QImage& strip) {
  if (frameSize_.isEmpty() || strip.height() < frameSize_.height() ||
      strip.width() < frameSize_.width() * kFrameCount) {
    return false;
  }
  strip_ = MaskBlack(strip);
  update();
  return true;
}

void CSkinButton::SetHiddenFlag(bool hidden) {
  hidden_ = hidden;
  update();
}

void CSkinButton::SetLatched(bool latched) {
  latched_ = latched;
  update();
}

CSkinButton::Frame CSkinButton::CurrentFrame() const {
  if (isDown() || isChecked()) return kPressed;
  if (!isEnabled()) return kDisabled;
  if (latched_) return kPressed;
  if (hovered_ && !hidden_) return kHover;
  return kRest;
}

void CSkinButton::paintEvent(QPaintEvent*) {
  if (hidden_) return;
  QPainter p(this);
  p.fillRect(rect(), Background());
  if (strip_.isNull()) return;
  const QRect source(QPoint(frameSize_.width() * CurrentFrame(), 0), frameSize_);
  p.drawImage(QPoint(0, 0), strip_, source);
}

bool CSkinButton::event(QEvent* event) {
  if (event->type() == QEvent::ToolTipChange) setAccessibleName(toolTip());
  return QAbstractButton::event(event);
}

void CSkinButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}
