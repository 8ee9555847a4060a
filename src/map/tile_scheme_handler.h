#pragma once

#include <QWebEngineUrlSchemeHandler>
#include <memory>

#include "map/tile_source.h"

// Serves the tiles of a local source (MBTiles file or tile folder) to the
// map page under kestrel-tiles://local/{z}/{x}/{y}: no network is involved.
class TileSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void SetSource(const TileSource& source) { source_ = source; }
  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  TileSource source_;
};

// Registers the local tile scheme with the web engine; called once before
// the application object is made.
void RegisterTileScheme();
