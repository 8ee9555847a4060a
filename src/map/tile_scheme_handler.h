#pragma once

#include <QThreadPool>
#include <QWebEngineUrlSchemeHandler>

#include "map/tile_source.h"

// Serves the tiles of a local source (MBTiles file or tile folder) to the
// map page under kestrel-tiles://local/{z}/{x}/{y}: no network is involved.
// Tiles are read by workers of its own and answered on the UI thread, which
// never waits for the disk.
class TileSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  explicit TileSchemeHandler(QObject* parent);
  void SetSource(const TileSource& source) { source_ = source; }
  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  TileSource source_;
  // Last: destroyed first, waiting for the reads under way.
  QThreadPool readers_;
};

// Registers the local tile scheme with the web engine; called once before
// the application object is made.
void RegisterTileScheme();
