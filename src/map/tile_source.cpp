#include "map/tile_source.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>

#include "base/settings_file.h"

namespace {

// A hostile or broken MBTiles file (an endless view, a table without index)
// may keep a statement busy for ever: every statement gives up after this.
constexpr int kQueryLimitMs = 800;

using Clock = std::chrono::steady_clock;

// Runs `sql` on the MBTiles file at `path`, read-only, with the parameters
// that `bind` binds, and hands its first row to `row`. False when the file
// is not a regular file or does not open, the statement fails, gives no row
// or takes longer than kQueryLimitMs. Any thread may call it.
template <typename Bind, typename Row>
bool QueryFirstRow(const QString& path, const char* sql, Bind bind, Row row) {
  if (!QFileInfo(path).isFile()) return false;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  sqlite3_busy_timeout(db, 200);
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kQueryLimitMs);
  sqlite3_progress_handler(
      db, 1000,
      [](void* end) { return Clock::now() > *static_cast<const Clock::time_point*>(end) ? 1 : 0; },
      &deadline);
  sqlite3_stmt* statement = nullptr;
  const bool found = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
                     bind(statement) && sqlite3_step(statement) == SQLITE_ROW;
  if (found) row(statement);
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return found;
}

bool BindNothing(sqlite3_stmt*) { return true; }

// The bytes of the regular file at `path`, at most kMaxTileBytes; empty for
// anything else. A FIFO or a device never holds up the reader: the file is
// opened without blocking and looked at before it is read.
QByteArray ReadTileFile(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat status {};
  QFile file;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size > TileSource::kMaxTileBytes ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return {};
  }
  const QByteArray bytes = file.read(TileSource::kMaxTileBytes + 1);
  return bytes.size() > TileSource::kMaxTileBytes ? QByteArray() : bytes;
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
    // Some files keep the levels as text, some as numbers: both are levels.
    QueryFirstRow(
        text,
        "SELECT MIN(CAST(zoom_level AS INTEGER)), MAX(CAST(zoom_level AS INTEGER)) FROM tiles",
        BindNothing, [&](sqlite3_stmt* row) {
          if (sqlite3_column_type(row, 0) == SQLITE_NULL) return;
          const int low = sqlite3_column_int(row, 0);
          const int high = sqlite3_column_int(row, 1);
          if (low < 0) return;
          source.minZoom_ = low;
          source.maxZoom_ = high;
        });
  }
  return source;
}

TileSource TileSource::FromSettingsFile() { return FromSetting(ReadTileUrl()); }

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
  return QueryFirstRow(text_, "SELECT 1 FROM tiles LIMIT 1", BindNothing, [](sqlite3_stmt*) {});
}

QByteArray TileSource::ReadLocalTile(int z, int x, int y, QByteArray* mimeType) const {
  if (z < 0 || z > 30 || x < 0 || y < 0 || x >= (1 << z) || y >= (1 << z)) return {};
  QByteArray bytes;
  if (kind_ == Kind::kFolder) {
    const QString base = QStringLiteral("%1/%2/%3/%4").arg(text_).arg(z).arg(x).arg(y);
    for (const char* extension : {".png", ".jpg", ".jpeg"}) {
      const QString path = base + QString::fromLatin1(extension);
      if (QFileInfo::exists(path)) {
        bytes = ReadTileFile(path);
        break;
      }
    }
  } else if (kind_ == Kind::kMbTiles) {
    // MBTiles number the rows from the south (TMS). A tile above the cap is
    // not even read.
    const int row = (1 << z) - 1 - y;
    QueryFirstRow(
        text_,
        "SELECT CASE WHEN length(tile_data) <= ?4 THEN tile_data END FROM tiles "
        "WHERE zoom_level = ?1 AND tile_column = ?2 AND tile_row = ?3",
        [&](sqlite3_stmt* query) {
          return sqlite3_bind_int(query, 1, z) == SQLITE_OK &&
                 sqlite3_bind_int(query, 2, x) == SQLITE_OK &&
                 sqlite3_bind_int(query, 3, row) == SQLITE_OK &&
                 sqlite3_bind_int64(query, 4, kMaxTileBytes) == SQLITE_OK;
        },
        [&](sqlite3_stmt* found) {
          const void* data = sqlite3_column_blob(found, 0);
          const int size = sqlite3_column_bytes(found, 0);
          if (data != nullptr && size > 0) bytes = QByteArray(static_cast<const char*>(data), size);
        });
  }
  *mimeType = ImageType(bytes);
  return mimeType->isEmpty() ? QByteArray() : bytes;
}
