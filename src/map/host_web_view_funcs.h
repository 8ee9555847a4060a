#pragma once

#include <string>

// What the map page's host object forwards to: the map host that the main
// window drives (CGoogleMapDlgWrap). All calls arrive on the UI thread.
class IHostWebViewFuncs {
 public:
  virtual ~IHostWebViewFuncs() = default;
  // The map service's reachable flag, asked by the page when it finds the
  // service unreachable and drops its map; 0 also clears the page-initialised
  // flag, which only the page's calls change.
  virtual int ConnectTest() = 0;
  // The page has made its map.
  virtual void OnInitHtml() = 0;
  // The group track and the current recording's track, as track arrays
  // (script array literals); GetGridData gives "null" without a track.
  virtual std::string GetGPSData() = 0;
  virtual std::string GetGridData() = 0;
  // The frame number of the playback position, "%d".
  virtual std::string GetRelJpgNum() = 0;
  virtual void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat, double lng,
                                 double speed, double direction) = 0;
  // The address of the map library that the page loads.
  virtual std::string GetMapURL() = 0;
  // Sends the page its `update` message.
  virtual void SetSend() = 0;
};
