#include "map/web_engine_check.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>

#include "app/ui_text.h"

namespace {

constexpr int kNoticeTitle = 143;
constexpr int kNoticeText = 144;

}  // namespace

bool IsWebView2RuntimeInstalled() {
  const QString chosen = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
  const QString helper = !chosen.isEmpty()
                             ? chosen
                             : QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                                   QStringLiteral("/QtWebEngineProcess");
  const QFileInfo info(helper);
  return info.isFile() && info.isExecutable();
}

bool ShowWebView2Notice(QWidget* parent) {
  if (IsWebView2RuntimeInstalled()) return false;
  QMessageBox box(QMessageBox::Information, UiText(kNoticeTitle),
                  UiText(kNoticeText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                  QMessageBox::Close, parent);
  box.exec();
  return true;
}
