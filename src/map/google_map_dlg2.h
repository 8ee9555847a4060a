#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "map/json_holder.h"
#include "map/tile_source.h"

class HostWebViewObject;
class IHostWebViewFuncs;
class QWebChannel;
class QWebEngineView;

// What the map window keeps of its web view: the view, the channel with the
// host object and the last texts sent to, or received from, the page.
struct CWebView2Holder {
  bool started = false;
  QWebEngineView* webView = nullptr;
  QWebChannel* channel = nullptr;
  HostWebViewObject* hostObject = nullptr;
  CJsonHolder json;
  QString map_lat;
  QString map_lng;
  QString map_status;
};

// The map window: a child window with the web view of the map page, which
// fills it at zoom factor 0.65.
class CGoogleMapDlg2 : public QWidget {
  Q_OBJECT
 public:
  static constexpr double kZoomFactor = 0.65;

  CGoogleMapDlg2(QWidget* parent, IHostWebViewFuncs* funcs, const TileSource& source);
  ~CGoogleMapDlg2() override;

  // Creates the web view and loads the page; later calls do nothing.
  // `loaded` runs each time the page has loaded.
  void StartWebView(std::function<void()> loaded);
  // Shows the tiles of `source` from now on: a page already loaded is
  // loaded again with them (`loaded` runs again when it has).
  void SetTileSource(const TileSource& source);
  // Runs a statement in the page; dropped without a web view.
  bool RunScript(const QString& text);
  // Sends the page the `update` message with the window's position and map
  // status; false without a web view.
  bool PostUpdateMessage();

  QWebEngineView* webView() const { return holder_.webView; }
  const CWebView2Holder& holder() const { return holder_; }

  double longitude = 0;
  double latitude = 0;
  QString mapStatus;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnWebMessage(const QString& json);

  IHostWebViewFuncs* funcs_;
  TileSource source_;
  CWebView2Holder holder_;
};
