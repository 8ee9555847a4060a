#include "map/tile_scheme_handler.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void TileSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
  const QStringList parts = job->requestUrl().path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
  bool ok[3] = {false, false, false};
  const int z = parts.size() == 3 ? parts[0].toInt(&ok[0]) : 0;
  const int x = parts.size() == 3 ? parts[1].toInt(&ok[1]) : 0;
  const int y = parts.size() == 3 ? parts[2].toInt(&ok[2]) : 0;
  QByteArray mimeType;
  const QByteArray bytes =
      ok[0] && ok[1] && ok[2] ? source_.ReadLocalTile(z, x, y, &mimeType) : QByteArray();
  if (bytes.isEmpty()) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  auto* buffer = new QBuffer(job);
  buffer->setData(bytes);
  job->reply(mimeType, buffer);
}

void RegisterTileScheme() {
  QWebEngineUrlScheme scheme(TileSource::kLocalScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
  QWebEngineUrlScheme::registerScheme(scheme);
}
