#include "app/error_box.h"

#include <QMessageBox>

void ShowErrorBox(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ERROR"), text, QMessageBox::Ok, owner);
  box.exec();
}
