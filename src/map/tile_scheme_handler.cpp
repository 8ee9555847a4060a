#include "map/tile_scheme_handler.h"

#include <QBuffer>
#include <QPointer>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace {

// Enough for the tiles of one screen to arrive side by side.
constexpr int kReaders = 2;

}  // namespace

TileSchemeHandler::TileSchemeHandler(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {
  readers_.setMaxThreadCount(kReaders);
}

void TileSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
  const QStringList parts = job->requestUrl().path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
  bool ok[3] = {false, false, false};
  const int z = parts.size() == 3 ? parts[0].toInt(&ok[0]) : 0;
  const int x = parts.size() == 3 ? parts[1].toInt(&ok[1]) : 0;
  const int y = parts.size() == 3 ? parts[2].toInt(&ok[2]) : 0;
  if (!ok[0] || !ok[1] || !ok[2]) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  // The page may drop the request (and its job) while the tile is read.
  const QPointer<QWebEngineUrlRequestJob> request(job);
  readers_.start([this, request, source = source_, z, x, y] {
    QByteArray mimeType;
    const QByteArray bytes = source.ReadLocalTile(z, x, y, &mimeType);
    QMetaObject::invokeMethod(
        this,
        [request, bytes, mimeType] {
          if (request.isNull()) return;
          if (bytes.isEmpty()) {
            request->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
          }
          auto* buffer = new QBuffer(request.data());
          buffer->setData(bytes);
          request->reply(mimeType, buffer);
        },
        Qt::QueuedConnection);
  });
}

void RegisterTileScheme() {
  QWebEngineUrlScheme scheme(TileSource::kLocalScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
  QWebEngineUrlScheme::registerScheme(scheme);
}
