// Benchmark of the map page: from a recording made current to its route
// drawn (the rebuild sequence and the marks sent, the page idle again) for
// one 3-minute recording and for a folder group of 60 one-minute
// recordings, next to an empty round trip to the page in the same run. The
// page runs in the real web engine against a local tile folder.
//
// Run: build with -DKESTREL_BENCH=ON, then
//   QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen build/<dir>/bench/map/map_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"
#include "map/map_statements.h"
#include "map/tile_scheme_handler.h"

namespace {

constexpr int kRuns = 15;
constexpr int kRecordsPerSecond = 10;

// A drive north-east at about 40 km/h, `seconds` long.
std::vector<PositionRecord> Drive(int seconds, double lat0) {
  std::vector<PositionRecord> track;
  for (int i = 0; i < seconds * kRecordsPerSecond; ++i) {
    PositionRecord p;
    p.latitude = lat0 + 0.00001 * i;
    p.longitude = 139.7 + 0.00001 * i;
    p.frame = i * 3;
    p.valid = 1;
    track.push_back(p);
  }
  return track;
}

// Waits until the page has run everything sent before.
void RoundTrip(CGoogleMapDlgWrap& map) {
  bool done = false;
  map.mapWindow()->webView()->page()->runJavaScript(QStringLiteral("0"),
                                                    [&](const QVariant&) { done = true; });
  while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The median ms of the rebuild for `group` with `grid` current.
double RebuildMs(CGoogleMapDlgWrap& map, const std::vector<PositionRecord>& group,
                 const std::vector<PositionRecord>& grid) {
  map.SetGroupTrack(group);
  map.SetGridSource([&] { return std::optional(grid); });
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    QElapsedTimer timer;
    timer.start();
    map.RebuildTrack(0);
    AccelRecord accel;
    for (size_t i = 0; i < grid.size(); i += grid.size() / 10) {
      accel.frame = grid[i].frame;
      map.RunScript(AddCrashPosStatement(static_cast<int>(i % 12), accel, 0, grid[i]));
    }
    RoundTrip(map);
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  RegisterTileScheme();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QTemporaryDir tiles;
  QWidget parent;
  parent.resize(452, 392);
  CGoogleMapDlgWrap map;
  map.Create(&parent, nullptr, TileSource::FromSetting(tiles.path()));
  map.mapWindow()->setGeometry(0, 0, 452, 392);
  map.mapWindow()->show();
  parent.show();
  QElapsedTimer start;
  start.start();
  while (!map.pageInitialised() && start.elapsed() < 30000) QTest::qWait(20);
  if (!map.pageInitialised()) {
    std::fprintf(stderr, "map_bench: the page did not initialise\n");
    return 1;
  }
  map.SetFrameNumber(900);

  std::vector<double> empty;
  for (int run = 0; run < kRuns; ++run) {
    QElapsedTimer timer;
    timer.start();
    RoundTrip(map);
    empty.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  const double emptyMs = Median(empty);
  const std::vector<PositionRecord> one = Drive(180, 35.6);
  const double oneMs = RebuildMs(map, one, one);
  std::vector<PositionRecord> group;
  for (int k = 0; k < 60; ++k) {
    const auto minute = Drive(60, 35.6 + 0.006 * k);
    group.insert(group.end(), minute.begin(), minute.end());
  }
  const double groupMs = RebuildMs(map, group, Drive(60, 35.6));
  std::printf("empty round trip to the page        %8.2f ms\n", emptyMs);
  std::printf(
      "one 3-minute recording (1800 points) %8.2f ms  (%.1fx the round trip, goal 150 ms)\n", oneMs,
      oneMs / emptyMs);
  std::printf(
      "group of 60 recordings (36000 points) %7.2f ms  (%.1fx the round trip, goal 500 ms)\n",
      groupMs, groupMs / emptyMs);
  return 0;
}
