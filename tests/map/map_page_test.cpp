#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "map/google_map_dlg2.h"
#include "map/inet_connection_async.h"
#include "map/map_pictures.h"
#include "map/map_profile.h"
#include "map/map_statements.h"
#include "map_page_fixture.h"
#include "temp_dir.h"

// One page, southern and western hemisphere: the tracks, their stretches,
// the marker on the record before the frame, the map status, the offline
// branch and a click on a mark.
TEST(MapPageTest, DrawsTracksMarksAndTheMovingMarker) {
  TileServer server;
  ASSERT_TRUE(server.Start());
  MapPage page(ServerSource(server));
  ASSERT_TRUE(page.WaitInitialised());
  EXPECT_EQ(page.log().CountOf(CGoogleMapDlgWrap::WM_APP_MAP_READY), 1);

  // Group: 0.0014 degrees between the fifth and sixth points starts a new
  // stretch. File: 0.0013 degrees does not.
  std::vector<PositionRecord> group = Line(-33.9, -70.6, 0.0005, 5, 0);
  for (const auto& p : Line(-33.9 + 0.002 + 0.0014, -70.6, 0.0005, 5, 15)) group.push_back(p);
  group.push_back(Point(-33.9, -70.6, 40, 0));  // no fix: left out
  page.map().SetGroupTrack(group);
  std::vector<PositionRecord> grid = {Point(-33.9, -70.6, 10), Point(-33.9005, -70.6, 11),
                                      Point(-33.9018, -70.6, 12)};
  page.map().SetGridSource([&] { return std::optional(grid); });
  page.map().SetFrameNumber(11);
  page.map().RebuildTrack(0);
  EXPECT_EQ(page.Eval("orbitgrplist.grpline.map(l => l.options.color + '/' + "
                      "l.options.opacity + '/' + l.getLatLngs().length).join()")
                .toString(),
            QStringLiteral("#FF0000/0.5/5,#FF0000/0.5/5"));
  EXPECT_EQ(page.Eval("orbitgrplist.orbitlist.length").toInt(), 1);
  // Frame 11 over frames [10, 11, 12]: the record before it, index 0.
  EXPECT_EQ(page.Eval("[orbitgrplist.histline.length, orbitgrplist.schline.map(l => "
                      "l.options.color).join(), g_marker.getLatLng().lat]")
                .toList(),
            (QVariantList{0, QStringLiteral("#FF0000"), -33.9}));
  for (const auto& [frame, index] : {std::pair{11, 0}, {9, 0}, {13, 2}, {12, 1}, {10, 0}}) {
    page.map().SetFrameNumber(frame);
    EXPECT_EQ(page.Eval("orbitgrplist.GetIndex()").toInt(), index) << frame;
  }
  page.map().SetFrameNumber(13);
  page.map().RunScript("orbitgrplist.MoveMarker()");
  EXPECT_EQ(page.Eval("[orbitgrplist.histline.map(l => l.options.color).join(), "
                      "orbitgrplist.schline.length, g_marker.getLatLng().lat]")
                .toList(),
            (QVariantList{QStringLiteral("#0000FF"), 0, -33.9018}));

  // A mark south of the equator: the click reaches the host with its frame
  // and moves the marker to the record before the frame on show.
  AccelRecord accel;
  accel.frame = 11;
  page.map().RunScript(AddCrashPosStatement(6, accel, 0, grid[1]));
  page.map().SetFrameNumber(12);
  EXPECT_EQ(page.Eval("cplist.markers.length").toInt(), 1);
  page.Eval("cplist.markers[0].marker.fire('click'); 0");
  ASSERT_TRUE(WaitFor(
      [&] { return page.log().CountOf(CGoogleMapDlgWrap::WM_APP_MAP_MARK_CLICKED) == 1; }, 5000));
  EXPECT_EQ(page.log().messages.back().second, 11);
  EXPECT_DOUBLE_EQ(page.Eval("g_marker.getLatLng().lat").toDouble(), -33.9005);

  // "PAUSE" holds the page's loop, but a seek moves the marker at once;
  // playing again lets the loop move it.
  CGoogleMapDlg2& window = *page.map().mapWindow();
  window.latitude = -33.9;
  window.longitude = -70.6;
  window.mapStatus = QStringLiteral("PAUSE");
  window.PostUpdateMessage();
  page.map().RunScript("kestrelPush({relJpgNum: \"10\"})");
  QTest::qWait(2500);
  EXPECT_DOUBLE_EQ(page.Eval("g_marker.getLatLng().lat").toDouble(), -33.9005);
  for (const auto& [frame, lat] : {std::pair{13, -33.9018}, {10, -33.9}, {12, -33.9005}}) {
    page.map().SetFrameNumber(frame);
    EXPECT_DOUBLE_EQ(page.Eval("g_marker.getLatLng().lat").toDouble(), lat) << frame;
  }
  page.map().SetMapStatus(0);
  page.map().SetFrameNumber(10);
  EXPECT_TRUE(
      WaitFor([&] { return page.Eval("g_marker.getLatLng().lat").toDouble() == -33.9; }, 4000));

  // Coordinates of 1000 or more: the offline branch runs once.
  window.latitude = 1000;
  window.PostUpdateMessage();
  EXPECT_TRUE(WaitFor([&] { return page.Eval("g_isInit").toBool(); }, 3000));
  page.map().SetFrameNumber(13);
  QTest::qWait(1200);
  EXPECT_DOUBLE_EQ(page.Eval("g_marker.getLatLng().lat").toDouble(), -33.9);

  // "stop" moves the marker once, at once.
  page.map().SetMapStatus(2);
  EXPECT_DOUBLE_EQ(page.Eval("g_marker.getLatLng().lat").toDouble(), -33.9018);
}

// Bad tracks: all positions invalid, 65,535 records, positions off the map.
TEST(MapPageTest, BadTracksDrawNothingOffTheMapAndDoNotHang) {
  TileServer server;
  ASSERT_TRUE(server.Start());
  MapPage page(ServerSource(server));
  ASSERT_TRUE(page.WaitInitialised());
  std::vector<PositionRecord> track;
  page.map().SetGridSource([&] { return std::optional(track); });
  page.map().SetFrameNumber(0);

  track = Line(35, 139, 0.0001, 200, 0);
  for (auto& p : track) p.valid = 0;
  page.map().SetGroupTrack(track);
  page.map().RebuildTrack(0);
  EXPECT_EQ(page.Eval("[orbitgrplist.grpline.length, orbitgrplist.gridlist.points.length, "
                      "orbitgrplist.histline.length + orbitgrplist.schline.length]")
                .toList(),
            (QVariantList{0, 0, 0}));

  track = Line(35, 139, 0.00001, 65535, 0);
  track[100] = Point(95, 139, 300);
  track[200] = Point(35, 200, 600);
  page.map().SetGroupTrack(track);
  QElapsedTimer timer;
  timer.start();
  page.map().RebuildTrack(0);
  EXPECT_EQ(page.Eval("[orbitgrplist.grplist.points.length, orbitgrplist.gridlist.points.length, "
                      "orbitgrplist.grplist.points.every(p => Math.abs(p.lat) <= 90 && "
                      "Math.abs(p.lng) <= 180)]")
                .toList(),
            (QVariantList{65533, 65533, true}));
  EXPECT_LT(timer.elapsed(), 20000);
  AccelRecord accel;
  page.map().RunScript(AddCrashPosStatement(0, accel, 0, Point(95, 200, 0)));
  EXPECT_EQ(page.Eval("cplist.markers.length").toInt(), 0);
}

// Tiles carry the viewer's User-Agent and no no-cache header, and a tile
// asked again by a fresh page comes from the disk cache.
TEST(MapPageTest, TileRequestsNameTheViewerAndAreCached) {
  TileServer server;
  ASSERT_TRUE(server.Start());
  {
    MapPage page(ServerSource(server));
    ASSERT_TRUE(page.WaitInitialised());
    ASSERT_TRUE(WaitFor([&] { return server.CountOf("/16/") >= 4; }, 10000));
    EXPECT_EQ(page.Eval("document.querySelector('.leaflet-control-attribution a:last-child').href")
                  .toString(),
              QStringLiteral("http://127.0.0.1:%1/").arg(server.port()));
    QTest::qWait(500);
  }
  const qsizetype first = server.requests().size();
  for (const TileServer::Request& r : server.requests()) {
    EXPECT_EQ(r.Header("user-agent"), QByteArray(MapUserAgent())) << r.path.toStdString();
    EXPECT_FALSE(r.Header("cache-control").contains("no-cache")) << r.path.toStdString();
    EXPECT_FALSE(r.Header("pragma").contains("no-cache")) << r.path.toStdString();
  }
  MapPage again(ServerSource(server));
  ASSERT_TRUE(again.WaitInitialised());
  EXPECT_TRUE(WaitFor(
      [&] {
        return again.Eval("document.querySelectorAll('.leaflet-tile-loaded').length").toInt() >= 4;
      },
      10000));
  EXPECT_EQ(server.requests().size(), first);
}

// The tile server stopped: the page drops its map and the host sends
// nothing; started again: a fresh init and a rebuild.
TEST(MapPageTest, ServerLostAndBack) {
  TileServer server;
  ASSERT_TRUE(server.Start());
  const quint16 port = server.port();
  MapPage page(ServerSource(server));
  ASSERT_TRUE(page.WaitInitialised());
  page.map().SetGroupTrack(Line(35, 139, 0.0005, 4, 0));
  page.map().RebuildTrack(0);
  EXPECT_EQ(page.Eval("orbitgrplist.grpline.length").toInt(), 1);

  server.Stop();
  QElapsedTimer timer;
  timer.start();
  ASSERT_TRUE(
      WaitFor([&] { return page.Eval("g_map === null && !g_isInitConnect").toBool(); }, 5000));
  const qint64 dropped = timer.elapsed();
  // One watcher period and one pass of the page's loop, with room for a
  // busy machine.
  EXPECT_LE(dropped, 3500) << "the map was dropped after " << dropped << " ms";
  RecordProperty("dropped_ms", static_cast<int>(dropped));
  EXPECT_FALSE(page.map().pageInitialised());
  page.map().SetGroupTrack(Line(35, 139, 0.0005, 7, 0));
  page.map().RebuildTrack(0);
  EXPECT_EQ(page.Eval("new Float64Array(kestrelValues.gps).length").toInt(), 13);

  ASSERT_TRUE(server.Start(port));
  ASSERT_TRUE(
      WaitFor([&] { return page.log().CountOf(CGoogleMapDlgWrap::WM_APP_MAP_READY) == 2; }, 10000));
  EXPECT_TRUE(page.map().pageInitialised());
  page.map().RebuildTrack(0);
  EXPECT_EQ(page.Eval("[g_map !== null, orbitgrplist.grplist.points.length]").toList(),
            (QVariantList{true, 7}));
}

// Page-initialised is the page's: an outage that the page's loop does not
// see leaves its map, and so the host keeps sending it statements.
TEST(MapPageTest, AnOutageThePageMissesLeavesItInitialised) {
  TileServer server;
  ASSERT_TRUE(server.Start());
  const quint16 port = server.port();
  MapPage page(ServerSource(server));
  ASSERT_TRUE(page.WaitInitialised());
  // The page's one-second loop is held while the service goes and comes back.
  page.Eval("window.heldShow = show; show = function () { window.showHeld = true; }; 0");
  ASSERT_TRUE(WaitFor([&] { return page.Eval("window.showHeld === true").toBool(); }, 3000));
  server.Stop();
  ASSERT_TRUE(WaitFor([&] { return page.map().reachable() == 0; }, 5000));
  ASSERT_TRUE(server.Start(port));
  ASSERT_TRUE(WaitFor([&] { return page.map().reachable() == 1; }, 5000));
  page.Eval("show = heldShow; show(); 0");
  QTest::qWait(1500);
  EXPECT_TRUE(page.Eval("g_isInitConnect").toBool());
  EXPECT_TRUE(page.map().pageInitialised());
  page.map().SetGroupTrack(Line(35, 139, 0.0005, 4, 0));
  page.map().RebuildTrack(0);
  EXPECT_EQ(page.Eval("orbitgrplist.grpline.length").toInt(), 1);
}

// An MBTiles file shows the map with no network; a corrupt one is an
// unreachable map service.
TEST(MapPageTest, LocalMbTilesWithoutNetwork) {
  TempDir folder;
  const QString path = QString::fromStdString((folder.path() / "drive.mbtiles").string());
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral(
        "CREATE TABLE tiles (zoom_level integer, tile_column integer, tile_row integer, "
        "tile_data blob)")));
    QFile png(QStringLiteral(":/map/leaflet/images/layers.png"));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray bytes = png.readAll();
    for (int x : {32767, 32768}) {
      for (int row : {32767, 32768}) {
        q.prepare(QStringLiteral("INSERT INTO tiles VALUES (16, ?, ?, ?)"));
        q.addBindValue(x);
        q.addBindValue(row);
        q.addBindValue(bytes);
        ASSERT_TRUE(q.exec());
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("make"));
  const TileSource standard = TileSource::FromSetting(QString());
  EXPECT_EQ(standard.pageTemplate(), QString::fromLatin1(TileSource::kDefaultServer));
  EXPECT_TRUE(standard.attribution().contains(
      QStringLiteral("href=\"https://www.openstreetmap.org/copyright\"")));
  const TileSource source = TileSource::FromSetting(path);
  ASSERT_EQ(source.kind(), TileSource::Kind::kMbTiles);
  EXPECT_EQ(source.minZoom(), 16);
  EXPECT_TRUE(CInetConnectionAsync::Probe(source));
  {
    MapPage page(source);
    ASSERT_TRUE(page.WaitInitialised());
    const bool loaded = WaitFor(
        [&] {
          return page.Eval("document.querySelectorAll('.leaflet-tile-loaded').length").toInt() == 4;
        },
        10000);
    EXPECT_TRUE(loaded) << page.Eval(
                                   "JSON.stringify([g_map.getZoom(), kestrelValues.tiles, "
                                   "Array.from(document.querySelectorAll('.leaflet-tile')).map(t "
                                   "=> t.src + ' ' + t.className)])")
                               .toString()
                               .toStdString();
  }

  const QString corrupt = QString::fromStdString((folder.path() / "corrupt.mbtiles").string());
  QFile file(corrupt);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(4096, 'x'));
  file.close();
  const TileSource bad = TileSource::FromSetting(corrupt);
  EXPECT_FALSE(CInetConnectionAsync::Probe(bad));
  EXPECT_FALSE(CInetConnectionAsync::Probe(TileSource::FromSetting(path + "-missing")));
  MapPage page(bad);
  QTest::qWait(2500);
  EXPECT_FALSE(page.map().pageInitialised());
  EXPECT_EQ(page.map().ConnectTest(), 0);
  EXPECT_FALSE(page.Eval("g_isInitConnect").toBool());
  MapAreaState state;
  state.mapPageReady = true;
  state.positionSet = state.trackHasPositions = state.indexValid = true;
  EXPECT_EQ(ChooseMapAreaContent(state), MapAreaContent::kUnreachable);
}
