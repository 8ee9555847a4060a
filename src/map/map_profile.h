#pragma once

class QWebEngineProfile;
class TileSource;

// The web engine profile of the map, one per process: requests carry a
// User-Agent naming the viewer and its version, tiles are kept in a bounded
// disk cache in the user's cache folder, and the local tile scheme is served
// from `source` (the source of the last call).
QWebEngineProfile* MapProfile(const TileSource& source);

// The User-Agent of the map's requests.
const char* MapUserAgent();
