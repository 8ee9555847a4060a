#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "container/sensor_records.h"
#include "map/host_web_view_funcs.h"
#include "map/tile_source.h"

class CGoogleMapDlg2;
class CInetConnectionAsync;
class QWidget;

// The main window's handle on the map: it owns the map window and the
// reachability watcher, answers the page's host object, and sends the page
// its statements while the page is initialised.
class CGoogleMapDlgWrap : public IHostWebViewFuncs {
 public:
  static constexpr int WM_APP_MAP_READY = 0x812D;
  static constexpr int WM_APP_MAP_MARK_CLICKED = 0x812E;
  // The current recording's positions, copied under the engine's lock;
  // nullopt without a loaded track.
  using GridSource = std::function<std::optional<std::vector<PositionRecord>>()>;

  CGoogleMapDlgWrap();
  ~CGoogleMapDlgWrap() override;
  CGoogleMapDlgWrap(const CGoogleMapDlgWrap&) = delete;
  CGoogleMapDlgWrap& operator=(const CGoogleMapDlgWrap&) = delete;

  // Creates the map window as a child of `parent`, with the tile source,
  // starts the watcher and, when the web engine can start, the web view;
  // `owner` gets the map's messages.
  void Create(QWidget* parent, QObject* owner, const TileSource& source);
  // Takes another tile source: the watcher tests it and the page is loaded
  // again with it; the page reports ready again when it has its map.
  void SetTileSource(const TileSource& source);

  // What the page reads: the group track, the current recording's track.
  void SetGroupTrack(std::vector<PositionRecord> positions);
  void SetGridSource(GridSource source) { gridSource_ = std::move(source); }
  // The frame number of the playback position; while the map status is
  // "pause" or "stop" the marker follows it at once.
  void SetFrameNumber(int frame);
  int frameNumber() const { return frameNumber_; }

  void RunScript(const std::string& text);
  // The rebuild sequence for the recording at `index`, while initialised.
  void RebuildTrack(int index);
  // 0 playing (""), 1 "pause", 2 "stop" with the marker moved.
  void SetMapStatus(int state);
  bool ShowMap(bool show);

  // Whether the page has its map, as the page last reported it: set by
  // OnInitHtml, cleared by the page's ConnectTest.
  bool pageInitialised() const { return pageInitialised_ != 0; }
  bool mapShown() const { return mapShown_ != 0; }
  // The watcher's reachable flag, for the main window (ConnectTest is the
  // page's).
  int reachable() const;
  CGoogleMapDlg2* mapWindow() const { return mapWindow_; }

  // IHostWebViewFuncs.
  int ConnectTest() override;
  void OnInitHtml() override;
  std::string GetGPSData() override;
  std::string GetGridData() override;
  std::string GetRelJpgNum() override;
  void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat, double lng,
                         double speed, double direction) override;
  std::string GetMapURL() override;
  void SetSend() override;

 private:
  // Gives the page's stand-in of the host object new values.
  void PushToPage(const std::string& assignments);
  void OnReachableChanged(int reachable);

  CGoogleMapDlg2* mapWindow_ = nullptr;
  std::unique_ptr<CInetConnectionAsync> watcher_;
  std::vector<PositionRecord> groupTrack_;
  GridSource gridSource_;
  int pageInitialised_ = 0;
  int mapShown_ = 0;
  int frameNumber_ = -1;
  QObject* owner_ = nullptr;
};
