#include "update/update_check.h"

#include <QUrl>

#include "base/app_message.h"
#include "base/ui_text.h"
#include "update/version_fetch.h"
#include "update/version_rules.h"

namespace {

UpdateMessageTexts MessageTexts() {
  return {UiText(107).toStdString(), UiText(109).toStdString(), UiText(110).toStdString(),
          UiText(111).toStdString(), UiText(112).toStdString()};
}

QUrl FileUrl(const QString& server, std::string_view path) {
  return QUrl(QStringLiteral("http://") + server + QString::fromUtf8(path.data(), path.size()));
}

}  // namespace

bool CUpdateCheck::Start(QObject* target, const QString& server, const QString& recorderFirmware,
                         const QString& viewerVersion) {
  if (started() || server.isEmpty()) return false;
  thread_.reset(QThread::create([this, target, server, recorderFirmware, viewerVersion] {
    Run(target, server, recorderFirmware, viewerVersion);
  }));
  thread_->start();
  return true;
}

void CUpdateCheck::Run(QObject* target, const QString& server, const QString& recorderFirmware,
                       const QString& viewerVersion) {
  const std::optional<std::string> firmware = FetchVersion(FileUrl(server, kFirmwareVersionPath));
  if (!firmware) return;
  const std::optional<std::string> viewer = FetchVersion(FileUrl(server, kViewerVersionPath));
  if (!viewer) return;
  const UpdateFindings findings = CompareVersions(recorderFirmware.toStdString(), *firmware,
                                                  *viewer, viewerVersion.toStdString());
  const std::string text = UpdateMessage(findings, MessageTexts(), server.toStdString());
  if (text.empty() || QThread::currentThread()->isInterruptionRequested()) return;
  {
    const std::lock_guard lock(mutex_);
    linkText_ = QString::fromStdString(text);
  }
  PostAppMessage(target, kMessageUpdateFound);
}

void CUpdateCheck::Stop() {
  if (!thread_) return;
  thread_->requestInterruption();
  thread_->wait();
}

void CUpdateCheck::Wait() {
  if (thread_) thread_->wait();
}

QString CUpdateCheck::TakeLinkText() {
  const std::lock_guard lock(mutex_);
  return std::exchange(linkText_, QString());
}
