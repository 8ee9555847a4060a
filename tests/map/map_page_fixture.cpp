#include "map_page_fixture.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "base/app_message.h"
#include "map/google_map_dlg2.h"

bool MessageLog::event(QEvent* event) {
  if (auto* m = dynamic_cast<AppMessageEvent*>(event)) {
    messages.push_back({m->message(), m->lParam()});
    return true;
  }
  return QObject::event(event);
}

int MessageLog::CountOf(int message) const {
  int n = 0;
  for (const auto& m : messages) n += m.first == message ? 1 : 0;
  return n;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QTest::qWait(20);
  }
  return true;
}

PositionRecord Point(double lat, double lng, int frame, int valid) {
  PositionRecord p;
  p.latitude = lat;
  p.longitude = lng;
  p.frame = frame;
  p.valid = valid;
  return p;
}

std::vector<PositionRecord> Line(double lat, double lng, double step, int count, int frame0) {
  std::vector<PositionRecord> points;
  for (int i = 0; i < count; ++i) points.push_back(Point(lat + step * i, lng, frame0 + 3 * i));
  return points;
}

TileSource ServerSource(const TileServer& server) {
  return TileSource::FromSetting(
      QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(server.port()));
}

MapPage::MapPage(const TileSource& source) {
  parent_.resize(452, 392);
  map_.Create(&parent_, &log_, source);
  map_.mapWindow()->setGeometry(0, 0, 452, 392);
  map_.mapWindow()->show();
  parent_.show();
}

bool MapPage::WaitInitialised(int ms) {
  return WaitFor([&] { return map_.pageInitialised(); }, ms);
}

QVariant MapPage::Eval(const QString& script) {
  QVariant result;
  bool done = false;
  map_.mapWindow()->webView()->page()->runJavaScript(script, [&](const QVariant& value) {
    result = value;
    done = true;
  });
  EXPECT_TRUE(WaitFor([&] { return done; }, 20000)) << script.toStdString();
  return result;
}
