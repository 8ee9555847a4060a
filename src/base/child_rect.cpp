#include "base/child_rect.h"

namespace {

// A window's outer rectangle on the screen: its frame for a top-level window.
QRect OuterRect(const QWidget* widget) {
  if (widget->isWindow()) return widget->frameGeometry();
  return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

}  // namespace

QRect GetChildRect(const QWidget* parent, const QWidget* child) {
  return OuterRect(child).translated(-OuterRect(parent).topLeft());
}
