#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "container/sensor_records.h"
#include "map/google_map_dlg_wrap.h"
#include "map/tile_source.h"
#include "tile_server.h"

// Stands in for the main window: keeps the map's messages.
class MessageLog : public QObject {
 public:
  bool event(QEvent* event) override;
  int CountOf(int message) const;
  std::vector<std::pair<int, std::intptr_t>> messages;
};

// Runs the event loop until `done` or `ms` have passed; whether it is done.
bool WaitFor(const std::function<bool()>& done, int ms);

PositionRecord Point(double lat, double lng, int frame, int valid = 1);
// `count` points northwards from (lat, lng), `step` degrees and three frames
// apart from `frame0`.
std::vector<PositionRecord> Line(double lat, double lng, double step, int count, int frame0);

// The tile server's template as the "MAP"/"TILE_URL" setting.
TileSource ServerSource(const TileServer& server);

// A map host with its page in a shown parent, as the main window has it.
class MapPage {
 public:
  explicit MapPage(const TileSource& source);
  CGoogleMapDlgWrap& map() { return map_; }
  MessageLog& log() { return log_; }
  bool WaitInitialised(int ms = 15000);
  // Runs `script` after every statement sent before it and returns its value.
  QVariant Eval(const QString& script);

 private:
  QWidget parent_;
  MessageLog log_;
  CGoogleMapDlgWrap map_;
};
