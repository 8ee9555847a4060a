#include "map/tile_source.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include "app/settings_file.h"

namespace {

// Runs `work` with a read-only SQLite connection to `path` of its own, so
// that any thread may read the file.
template <typename Work>
auto WithMbTiles(const QString& path, Work work) -> decltype(work(std::declval<QSqlDatabase&>())) {
  static QAtomicInt serial;
  const QString name = QStringLiteral("kestrel-mbtiles-%1").arg(serial.fetchAndAddRelaxed(1));
  decltype(work(std::declval<QSqlDatabase&>())) result{};
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=200"));
    if (QFileInfo(path).isFile() && db.open()) result = work(db);
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  return result;
}

QByteArray ImageType(const QByteArray& bytes) {
  if (bytes.startsWith("\x89PNG")) return "image/png";
  if (bytes.startsWith("\xFF\xD8")) return "image/jpeg";
  return {};
}

}  // namespace

TileSource TileSource::FromSetting(const QString& setting) {
  TileSource source;
  const QString text = setting.trimmed();
  source.text_ = text.isEmpty() ? QString::fromLatin1(kDefaultServer) : text;
  const QUrl url(source.text_);
  if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
    return source;
  }
  source.kind_ = QFileInfo(text).isDir() ? Kind::kFolder : Kind::kMbTiles;
  if (source.kind_ == Kind::kMbTiles) {
    const auto zooms = WithMbTiles(text, [](QSqlDatabase& db) {
      QSqlQuery query(QStringLiteral("SELECT MIN(zoom_level), MAX(zoom_level) FROM tiles"), db);
      if (!query.next() || query.value(0).isNull()) return std::pair<int, int>(-1, -1);
      return std::pair<int, int>(query.value(0).toInt(), query.value(1).toInt());
    });
    if (zooms.first >= 0) {
      source.minZoom_ = zooms.first;
      source.maxZoom_ = zooms.second;
    }
  }
  return source;
}

TileSource TileSource::FromSettingsFile() {
  return FromSetting(ReadIniString(QStringLiteral("MAP"), QStringLiteral("TILE_URL")));
}

QString TileSource::pageTemplate() const {
  if (kind_ == Kind::kServer) return text_;
  return QString::fromLatin1(kLocalScheme) + QStringLiteral("://local/{z}/{x}/{y}");
}

QString TileSource::attribution() const {
  if (kind_ == Kind::kServer && QUrl(text_).host().endsWith(QLatin1String("openstreetmap.org"))) {
    return QStringLiteral(
        "&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap</a> "
        "contributors");
  }
  if (kind_ == Kind::kServer) {
    // Another tile server: its name, linked to its root.
    const QUrl url(text_);
    const QString root = url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery).toString();
    return QStringLiteral("<a href=\"%1/\">%2</a>")
        .arg(root.toHtmlEscaped(), url.host().toHtmlEscaped());
  }
  return QFileInfo(text_).fileName().toHtmlEscaped();
}

bool TileSource::LocalReadable() const {
  if (kind_ == Kind::kFolder) {
    const QFileInfo info(text_);
    return info.isDir() && info.isReadable() && QDir(text_).isReadable();
  }
  if (kind_ != Kind::kMbTiles) return false;
  return WithMbTiles(text_, [](QSqlDatabase& db) {
    QSqlQuery query(QStringLiteral("SELECT 1 FROM tiles LIMIT 1"), db);
    return query.isActive();
  });
}

QByteArray TileSource::ReadLocalTile(int z, int x, int y, QByteArray* mimeType) const {
  if (z < 0 || z > 30 || x < 0 || y < 0 || x >= (1 << z) || y >= (1 << z)) return {};
  QByteArray bytes;
  if (kind_ == Kind::kFolder) {
    const QString base = QStringLiteral("%1/%2/%3/%4").arg(text_).arg(z).arg(x).arg(y);
    for (const char* extension : {".png", ".jpg", ".jpeg"}) {
      QFile file(base + QString::fromLatin1(extension));
      if (file.open(QIODevice::ReadOnly)) {
        bytes = file.read(4 * 1024 * 1024);
        break;
      }
    }
  } else if (kind_ == Kind::kMbTiles) {
    // MBTiles number the rows from the south (TMS).
    const int row = (1 << z) - 1 - y;
    bytes = WithMbTiles(text_, [&](QSqlDatabase& db) {
      QSqlQuery query(db);
      query.prepare(QStringLiteral(
          "SELECT tile_data FROM tiles WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"));
      query.addBindValue(z);
      query.addBindValue(x);
      query.addBindValue(row);
      return query.exec() && query.next() ? query.value(0).toByteArray() : QByteArray();
    });
  }
  *mimeType = ImageType(bytes);
  return mimeType->isEmpty() ? QByteArray() : bytes;
}
