#include "player/off_screen_dc.h"

COffScreenDC::COffScreenDC(QSize size) : image_(size, QImage::Format_RGB32) {
  if (!image_.isNull()) {
    image_.fill(Qt::black);
    painter_.begin(&image_);
  }
}

COffScreenDC::~COffScreenDC() {
  if (painter_.isActive()) painter_.end();
}

void COffScreenDC::CopyTo(QPainter& target, const QPoint& at, const QRect& source) const {
  target.drawImage(at, image_, source);
}
