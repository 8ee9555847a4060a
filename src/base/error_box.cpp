#include "base/error_box.h"

#include <QFile>
#include <QMessageBox>
#include <cstdio>

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

QString LeftOutMessage(const QString& text, const std::vector<std::filesystem::path>& leftOut) {
  QString message = text;
  for (const std::filesystem::path& path : leftOut) {
    std::fprintf(stderr, "kestrel: left out, unreadable: %s\n", path.c_str());
    message += u'\n' + QFile::decodeName(path.filename().c_str());
  }
  return message;
}
