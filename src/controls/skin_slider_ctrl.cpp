#include "controls/skin_slider_ctrl.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <utility>

#include "base/app_message.h"
#include "controls/skin_slider_accessible.h"
#include "player/off_screen_dc.h"

namespace {

constexpr int kBackground = 0x202020;
// The ticks of the marks: yellow, over the upper third of the track and
// the thumb.
constexpr int kTickColour = 0xffd000;
constexpr int kTickWidth = 3;

// A track picture: a bar of `colour` across the middle, black around it.
QImage TrackImage(QColor colour, int height) {
  QImage image(256, height, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  const int bar = std::max(2, height / 3);
  painter.fillRect(0, (height - bar) / 2, image.width(), bar, colour);
  return image;
}

QImage ThumbImage(QColor colour, int height) {
  QImage image(height, height, QImage::Format_ARGB32);
  image.fill(QColor(kBackground));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(0x60, 0x60, 0x60));
  painter.setBrush(colour);
  painter.drawEllipse(QRectF(0.5, 0.5, height - 1.0, height - 1.0));
  return image;
}

// Black keyed out, as the recorder's skin pictures are drawn.
QImage Keyed(const QImage& image) {
  QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
  const QImage mask = keyed.createMaskFromColor(qRgb(0, 0, 0), Qt::MaskOutColor);
  keyed.setAlphaChannel(mask.convertToFormat(QImage::Format_Grayscale8));
  return keyed;
}

}  // namespace

CSkinSliderCtrl::CSkinSliderCtrl(int id, QWidget* parent) : QWidget(parent), id_(id) {
  setObjectName(QStringLiteral("movie slider"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  SkinSliderAccessible::InstallFactory();
  show();
}

void CSkinSliderCtrl::LoadImages(const QImage& filled, const QImage& empty, const QImage& thumb,
                                 const QImage& thumbPressed) {
  filled_ = Keyed(filled);
  empty_ = Keyed(empty);
  thumb_ = thumb;
  thumbPressed_ = thumbPressed;
  update();
}

void CSkinSliderCtrl::SetPos(int position) {
  const bool moved = position != position_;
  position_ = position;
  if (isVisible()) repaint();
  if (moved && QAccessible::isActive()) {
    QAccessibleValueChangeEvent change(this, position);
    QAccessible::updateAccessibility(&change);
  }
}

void CSkinSliderCtrl::ReleaseCapture() {
  dragging_ = false;
  releaseMouse();
}

double CSkinSliderCtrl::Ratio(int position, int min, int max) {
  const double r = static_cast<double>(max) - min + 1;
  return r > 0 ? position / r : 0.0;
}

int CSkinSliderCtrl::ThumbLeft(int position, int width, int thumbWidth, int min, int max) {
  const double r = static_cast<double>(max) - min + 1;
  if (r <= 0) return 0;
  return static_cast<int>(position * static_cast<double>(width - thumbWidth) / r);
}

int CSkinSliderCtrl::PositionAt(int x, int width, int min, int max) {
  const double r = static_cast<double>(max) - min + 1;
  const double scale = r > 0 ? width / r : 0.0;
  if (!(scale > 0)) return min;
  const int position = static_cast<int>(x / scale);
  return std::clamp(position, min, std::max(min, max));
}

bool CSkinSliderCtrl::InPressBand(int x, int width) {
  return x > -kPressBand && x < width + kPressBand;
}

void CSkinSliderCtrl::SetTicks(std::vector<int> positions) {
  ticks_ = std::move(positions);
  update();
}

QRect CSkinSliderCtrl::ThumbRect() const {
  const int tw = thumb_.width();
  return QRect(ThumbLeft(position_, width(), tw, rangeMin_, rangeMax_), 0, tw + 2, height());
}

void CSkinSliderCtrl::paintEvent(QPaintEvent*) {
  const int w = width();
  const int h = height();
  const double ratio = std::clamp(Ratio(position_, rangeMin_, rangeMax_), 0.0, 1.0);
  COffScreenDC dc(QSize(std::max(w, 1), std::max(h, 1)));
  if (!dc.isValid()) return;
  QPainter& p = dc.painter();
  p.fillRect(0, 0, w, h, QColor(kBackground));
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!filled_.isNull()) {
    const int part = static_cast<int>(filled_.width() * ratio);
    p.drawImage(QRect(0, 0, static_cast<int>(w * ratio), h),
                filled_.copy(0, 0, std::max(part, 1), filled_.height()));
  }
  if (!empty_.isNull()) {
    const int part = static_cast<int>(empty_.width() * (1 - ratio));
    p.drawImage(
        QRect(static_cast<int>(w * ratio) + 1, 0, static_cast<int>(w * (1 - ratio)) + 1, h),
        empty_.copy(empty_.width() - std::max(part, 1), 0, std::max(part, 1), empty_.height()));
  }
  const QImage& thumb = dragging_ ? thumbPressed_ : thumb_;
  if (!thumb.isNull()) p.drawImage(ThumbRect(), thumb);
  const int tw = thumb_.width();
  for (const int tick : ticks_) {
    const int x = ThumbLeft(tick, w, tw, rangeMin_, rangeMax_) + tw / 2;
    p.fillRect(x - kTickWidth / 2, 0, kTickWidth, std::max(h / 3, 2), QColor(kTickColour));
  }
  QPainter window(this);
  dc.CopyTo(window, QPoint(0, 0), QRect(0, 0, w, h));
}

bool CSkinSliderCtrl::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip || !tipForPosition_) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QString tip = tipForPosition_(PositionAt(help->pos().x(), width(), rangeMin_, rangeMax_));
  if (tip.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), tip, this);
  }
  return true;
}

void CSkinSliderCtrl::Post(int message) {
  if (parent() != nullptr) PostAppMessage(parent(), message, id_, trackedPos_);
}

void CSkinSliderCtrl::mousePressEvent(QMouseEvent* event) {
  const int x = event->position().toPoint().x();
  if (event->button() != Qt::LeftButton || !enabled_ || !InPressBand(x, width())) return;
  trackedPos_ = PositionAt(x, width(), rangeMin_, rangeMax_);
  const QRect thumb = ThumbRect();
  pressedOutside_ = x < thumb.left() - kPressBand || x > thumb.right() + kPressBand;
  pressPoint_ = event->position().toPoint();
  dragging_ = true;
  grabMouse();
  Post(kMessagePress);
}

void CSkinSliderCtrl::mouseMoveEvent(QMouseEvent* event) {
  const int x = event->position().toPoint().x();
  if (!dragging_ || !InPressBand(x, width())) return;
  trackedPos_ = PositionAt(x, width(), rangeMin_, rangeMax_);
  Post(kMessageDrag);
}

void CSkinSliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return;
  ReleaseCapture();
  if (enabled_) Post(kMessageRelease);
  update();
}

void LoadDefaultSliderImages(CSkinSliderCtrl& slider, int height) {
  slider.LoadImages(
      TrackImage(QColor(0x2E, 0x8B, 0xE6), height), TrackImage(QColor(0x70, 0x70, 0x70), height),
      ThumbImage(QColor(0xF0, 0xF0, 0xF0), height), ThumbImage(QColor(0x9C, 0xCF, 0xFF), height));
}
