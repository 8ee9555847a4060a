#include "map/map_profile.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QWebEngineProfile>

#include "map/tile_scheme_handler.h"

namespace {

constexpr qint64 kCacheBytes = 200LL * 1024 * 1024;

}  // namespace

const char* MapUserAgent() { return "Kestrel/" KESTREL_VERSION " (drive recorder viewer)"; }

QWebEngineProfile* MapProfile(const TileSource& source) {
  static QWebEngineProfile* profile = nullptr;
  static TileSchemeHandler* handler = nullptr;
  if (profile == nullptr) {
    profile = new QWebEngineProfile(QStringLiteral("kestrel-map"), QCoreApplication::instance());
    const QString cache =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/map");
    profile->setCachePath(cache);
    profile->setPersistentStoragePath(cache + QStringLiteral("/storage"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setHttpCacheMaximumSize(static_cast<int>(kCacheBytes));
    profile->setHttpUserAgent(QString::fromLatin1(MapUserAgent()));
    handler = new TileSchemeHandler(profile);
    profile->installUrlSchemeHandler(TileSource::kLocalScheme, handler);
  }
  handler->SetSource(source);
  return profile;
}
