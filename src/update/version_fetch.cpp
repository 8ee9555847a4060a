#include "update/version_fetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>

#include "update/version_rules.h"

namespace {

constexpr std::chrono::milliseconds kStopPoll(100);

}  // namespace

std::optional<std::string> FetchVersion(const QUrl& url, std::chrono::milliseconds timeout) {
  QNetworkAccessManager manager;
  const QList<QNetworkProxy> proxies =
      QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
  if (!proxies.isEmpty()) manager.setProxy(proxies.first());

  QNetworkRequest request(url);
  request.setRawHeader("Accept", "*/*");
  request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
  QNetworkReply* reply = manager.get(request);
  reply->setReadBufferSize(static_cast<qint64>(kVersionFileReadLimit));

  QByteArray body;
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
    body += reply->read(static_cast<qint64>(kVersionFileReadLimit) - body.size());
    if (body.size() >= static_cast<qsizetype>(kVersionFileReadLimit)) loop.quit();
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  deadline.start(timeout);
  QTimer stopPoll;
  QObject::connect(&stopPoll, &QTimer::timeout, &loop, [&loop] {
    if (QThread::currentThread()->isInterruptionRequested()) loop.quit();
  });
  stopPoll.start(kStopPoll);
  if (!reply->isFinished()) loop.exec();

  const bool full = body.size() >= static_cast<qsizetype>(kVersionFileReadLimit);
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const bool answered = full || (reply->isFinished() && reply->error() == QNetworkReply::NoError);
  if (!full && reply->isFinished()) {
    body += reply->read(static_cast<qint64>(kVersionFileReadLimit) - body.size());
  }
  reply->abort();
  delete reply;
  if (!answered || status != 200 || body.isEmpty()) return std::nullopt;

  QStringDecoder decode(QStringDecoder::System);
  const QString text = decode(body);
  return VersionFromFileText(text.toStdString());
}
