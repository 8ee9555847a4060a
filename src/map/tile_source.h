#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Where the map's tiles come from: the "MAP"/"TILE_URL" setting. Either a
// tile server's URL template with {z}, {x} and {y}, or the path of a local
// MBTiles file (raster tiles in SQLite) or of a folder of z/x/y.png tiles,
// which the host serves to the page itself, so that the map works without
// a network. For a local source the "map service" is that source.
class TileSource {
 public:
  enum class Kind { kServer, kMbTiles, kFolder };

  static constexpr auto kDefaultServer = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
  // The scheme through which the host serves local tiles to the page.
  static constexpr auto kLocalScheme = "kestrel-tiles";
  // A local tile above this size is not served (nor read).
  static constexpr qint64 kMaxTileBytes = 4 * 1024 * 1024;

  // The source named by `setting`; the default tile server when it is empty.
  static TileSource FromSetting(const QString& setting);
  // The source of the settings file.
  static TileSource FromSettingsFile();

  Kind kind() const { return kind_; }
  // The template the page's tile layer asks.
  QString pageTemplate() const;
  // The attribution shown bottom-right, as HTML with its link: the
  // OpenStreetMap contributors for its servers, the server's name for
  // another, the file or folder name for a local source.
  QString attribution() const;
  int minZoom() const { return minZoom_; }
  int maxZoom() const { return maxZoom_; }
  // The tile server's address probed by the reachability watcher.
  QUrl serverUrl() const { return QUrl(text_); }
  // Whether the local file or folder can be read now (MBTiles: its tile
  // table answers within the query limit). Safe on any thread.
  bool LocalReadable() const;
  // The tile z/x/y of the local source and its MIME type; empty when absent,
  // larger than kMaxTileBytes, not a regular file or not found within the
  // query limit. It may wait on the disk: call it off the UI thread.
  QByteArray ReadLocalTile(int z, int x, int y, QByteArray* mimeType) const;

 private:
  Kind kind_ = Kind::kServer;
  QString text_;
  int minZoom_ = 0;
  int maxZoom_ = 19;
};
