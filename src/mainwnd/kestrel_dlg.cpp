#include "mainwnd/kestrel_dlg.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/settings_file.h"
#include "app/shared_fonts.h"
#include "container/named_mutex.h"

namespace {

constexpr auto kTitle = "Quendra3";
// Where the window draws its title.
const QRect kTitleRect(QPoint(10, 4), QPoint(400, 30));

}  // namespace

CKestrelDlg::CKestrelDlg(QWidget* parent) : QDialog(parent, Qt::Window | Qt::FramelessWindowHint) {
  setFixedSize(kWidth, kHeight);
  OnInitDialog();
}

void CKestrelDlg::OnInitDialog() {
  mutexCache_ = &NamedMutex("hMutexCache");
  mutexCpSet_ = &NamedMutex("hMutexCpSet");
  CreateSharedFonts();
  setWindowTitle(QString::fromLatin1(kTitle));
  CreateSettingsOnFirstRun();
  keepAspect_ = ReadKeepAspect();
  volumeLevel_ = ReadVolumeLevel();
}

void CKestrelDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0x20, 0x20, 0x20));
  painter.setFont(fontNormal());
  painter.setPen(Qt::white);
  painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   windowTitle());
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
