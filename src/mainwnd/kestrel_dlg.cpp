#include "mainwnd/kestrel_dlg.h"

#include <QMouseEvent>
#include <QPainter>

CKestrelDlg::CKestrelDlg(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Window) {
  setWindowTitle(QStringLiteral("Quendra3"));
  setFixedSize(kWidth, kHeight);
}

void CKestrelDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0x20, 0x20, 0x20));
  painter.setPen(Qt::white);
  painter.drawText(QRect(8, 0, width() - 16, 28), Qt::AlignVCenter | Qt::AlignLeft, windowTitle());
}

void CKestrelDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  }
  QDialog::mousePressEvent(event);
}

void CKestrelDlg::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
  QDialog::mouseMoveEvent(event);
}

void CKestrelDlg::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QDialog::mouseReleaseEvent(event);
}
