#include "map/web_engine_check.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QRegularExpression>

#include "base/ui_text.h"

namespace {

constexpr int kNoticeTitle = 143;
constexpr int kNoticeText = 144;

}  // namespace

bool SandboxRefusesToStart(unsigned euid, const QProcessEnvironment& environment,
                           const QStringList& arguments) {
  if (euid != 0 || environment.contains(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"))) {
    return false;
  }
  const QString flags = QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS");
  QStringList engineArguments;
  if (environment.contains(flags)) {
    engineArguments = environment.value(flags).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  } else {
    const qsizetype start = arguments.indexOf(QRegularExpression(
        QStringLiteral("^--webEngineArgs$"), QRegularExpression::CaseInsensitiveOption));
    if (start >= 0) engineArguments = arguments.mid(start + 1);
  }
  return !engineArguments.contains(QStringLiteral("--no-sandbox"));
}

bool IsWebView2RuntimeInstalled() {
  if (SandboxRefusesToStart(geteuid(), QProcessEnvironment::systemEnvironment(),
                            QCoreApplication::arguments())) {
    return false;
  }
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
