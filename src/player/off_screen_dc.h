#pragma once

#include <QImage>
#include <QPainter>
#include <QSize>

// A memory drawing surface for flicker-free painting: draw into painter(),
// then copy image() to the screen. The destructor ends the painting and
// frees the picture.
class COffScreenDC {
 public:
  explicit COffScreenDC(QSize size);
  ~COffScreenDC();
  COffScreenDC(const COffScreenDC&) = delete;
  COffScreenDC& operator=(const COffScreenDC&) = delete;

  bool isValid() const { return !image_.isNull(); }
  QPainter& painter() { return painter_; }
  // The picture drawn so far (painting continues afterwards).
  const QImage& image() const { return image_; }
  // Copies the part `source` of the picture to `target` at `at`.
  void CopyTo(QPainter& target, const QPoint& at, const QRect& source) const;

 private:
  QImage image_;
  QPainter painter_;
};
