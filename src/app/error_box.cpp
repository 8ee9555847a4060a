#include "app/error_box.h"

#include <QMessageBox>

void ShowErrorBox(QWidget* owner, const QString& text) {
  ShowMessageBox(owner, text, QStringLiteral("ERROR"));
}

void ShowMessageBox(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

bool AskOkCancel(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel, owner);
  return box.exec() == QMessageBox::Ok;
}
