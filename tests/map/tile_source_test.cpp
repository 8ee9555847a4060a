#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "map_page_fixture.h"
#include "temp_dir.h"

namespace {

// The tile the cases ask for, and its MBTiles row (numbered from the south).
constexpr int kZ = 16;
constexpr int kX = 32768;
constexpr int kY = 32767;
constexpr int kRow = (1 << kZ) - 1 - kY;
constexpr qint64 kHugeBytes = 60LL * 1024 * 1024;

QByteArray PngTile() {
  QFile png(QStringLiteral(":/map/leaflet/images/layers.png"));
  return png.open(QIODevice::ReadOnly) ? png.readAll() : QByteArray();
}

// Makes an MBTiles file at `path` with the statements `make` runs.
bool MakeMbTiles(const QString& path, const std::function<bool(QSqlQuery&)>& make) {
  bool made = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(path);
    if (db.open()) {
      QSqlQuery q(db);
      made = make(q);
      if (!made) ADD_FAILURE() << q.lastError().text().toStdString();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("make"));
  return made;
}

bool InsertTile(QSqlQuery& q, const QVariant& zoom, const QByteArray& bytes) {
  q.prepare(QStringLiteral("INSERT INTO tiles VALUES (?, ?, ?, ?)"));
  q.addBindValue(zoom);
  q.addBindValue(kX);
  q.addBindValue(kRow);
  q.addBindValue(bytes);
  return q.exec();
}

// Makes the folder `root`/16/32768 and returns the tile's path in it.
QString TileFilePath(const QString& root) {
  const QString folder = QStringLiteral("%1/%2/%3").arg(root).arg(kZ).arg(kX);
  QDir().mkpath(folder);
  return QStringLiteral("%1/%2.png").arg(folder).arg(kY);
}

struct HostileSource {
  const char* name;
  // Makes the source under the folder given; its "MAP"/"TILE_URL" setting.
  std::function<QString(const QString&)> make;
  // What the page gets for the tile: "load" or "error".
  const char* answer;
  int minZoom;
  int maxZoom;
};

const HostileSource kSources[] = {
    {"endless view",
     [](const QString& root) {
       const QString path = root + QStringLiteral("/endless.mbtiles");
       MakeMbTiles(path, [](QSqlQuery& q) {
         return q.exec(QStringLiteral(
             "CREATE VIEW tiles AS WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM "
             "n) SELECT 16 AS zoom_level, 32768 AS tile_column, 32768 AS tile_row, x'00' AS "
             "tile_data FROM n WHERE i < 0"));
       });
       return path;
     },
     "error", 0, 19},
    {"huge tile in MBTiles",
     [](const QString& root) {
       const QString path = root + QStringLiteral("/huge.mbtiles");
       MakeMbTiles(path, [](QSqlQuery& q) {
         QByteArray huge = PngTile();
         huge.resize(kHugeBytes, '\0');
         return q.exec(QStringLiteral("CREATE TABLE tiles (zoom_level integer, tile_column "
                                      "integer, tile_row integer, tile_data blob)")) &&
                InsertTile(q, kZ, huge);
       });
       return path;
     },
     "error", kZ, kZ},
    {"huge tile in a folder",
     [](const QString& root) {
       QFile file(TileFilePath(root));
       if (file.open(QIODevice::WriteOnly)) {
         file.write(PngTile());
         file.resize(kHugeBytes);
       }
       return root;
     },
     "error", 0, 19},
    {"FIFO in a folder",
     [](const QString& root) {
       mkfifo(QFile::encodeName(TileFilePath(root)).constData(), 0644);
       return root;
     },
     "error", 0, 19},
    {"zoom levels of mixed type",
     [](const QString& root) {
       const QString path = root + QStringLiteral("/mixed.mbtiles");
       MakeMbTiles(path, [](QSqlQuery& q) {
         return q.exec(QStringLiteral(
                    "CREATE TABLE tiles (zoom_level, tile_column, tile_row, tile_data)")) &&
                InsertTile(q, QStringLiteral("9"), PngTile()) && InsertTile(q, kZ, PngTile());
       });
       return path;
     },
     "load", 9, kZ},
};

}  // namespace

// Hostile local sources: the setting is read, and the tile answered, within a
// bound, while a 10 ms timer on the UI thread keeps its pace.
TEST(TileSourceTest, HostileLocalSourcesAnswerInTimeAndKeepTheUiResponsive) {
  for (const HostileSource& hostile : kSources) {
    SCOPED_TRACE(hostile.name);
    TempDir folder;
    const QString setting = hostile.make(QString::fromStdString(folder.path().string()));

    QElapsedTimer clock;
    clock.start();
    const TileSource source = TileSource::FromSetting(setting);
    const qint64 settingMs = clock.elapsed();
    EXPECT_LE(settingMs, 1500);
    EXPECT_EQ(source.minZoom(), hostile.minZoom);
    EXPECT_EQ(source.maxZoom(), hostile.maxZoom);

    MapPage page(source);
    ASSERT_TRUE(
        WaitFor([&] { return page.Eval("document.readyState").toString() == "complete"; }, 15000));
    qint64 lateness = 0;
    QElapsedTimer beat;
    QTimer pulse;
    pulse.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pulse, &QTimer::timeout,
                     [&] { lateness = std::max(lateness, beat.restart() - 10); });
    beat.start();
    pulse.start(10);
    clock.restart();
    page.Eval(QStringLiteral("window.tileAnswer = ''; var tile = new Image(); "
                             "tile.onload = () => tileAnswer = 'load'; "
                             "tile.onerror = () => tileAnswer = 'error'; "
                             "tile.src = 'kestrel-tiles://local/%1/%2/%3?' + Date.now(); 0")
                  .arg(kZ)
                  .arg(kX)
                  .arg(kY));
    EXPECT_TRUE(WaitFor([&] { return !page.Eval("tileAnswer").toString().isEmpty(); }, 5000));
    const qint64 answered = clock.elapsed();
    pulse.stop();
    EXPECT_EQ(page.Eval("tileAnswer").toString().toStdString(), hostile.answer);
    EXPECT_LE(answered, 3000);
    EXPECT_LE(lateness, 200);
    std::printf("%s: setting read in %lld ms, tile answered in %lld ms, timer late by %lld ms\n",
                hostile.name, static_cast<long long>(settingMs), static_cast<long long>(answered),
                static_cast<long long>(lateness));
  }
}
