#include "map/google_map_dlg_wrap.h"

#include <QPointer>

#include "base/app_message.h"
#include "map/google_map_dlg2.h"
#include "map/inet_connection_async.h"
#include "map/map_statements.h"
#include "map/web_engine_check.h"

CGoogleMapDlgWrap::CGoogleMapDlgWrap() = default;

CGoogleMapDlgWrap::~CGoogleMapDlgWrap() {
  watcher_.reset();
  delete mapWindow_;
}

void CGoogleMapDlgWrap::Create(QWidget* parent, QObject* owner, const TileSource& source) {
  owner_ = owner;
  mapWindow_ = new CGoogleMapDlg2(parent, this, source);
  mapWindow_->hide();
  QPointer<CGoogleMapDlg2> window = mapWindow_;
  watcher_ = std::make_unique<CInetConnectionAsync>(source, [this, window](int now) {
    // From the checker thread: the UI thread passes the news on, unless the
    // map window is gone.
    QMetaObject::invokeMethod(
        window.data(), [this, now] { OnReachableChanged(now); }, Qt::QueuedConnection);
  });
  // Without a web engine that can start the window stays empty: not one of
  // its objects is made.
  if (!IsWebView2RuntimeInstalled()) return;
  // What reached the page before it had loaded is lost: it gets it again.
  mapWindow_->StartWebView([this] {
    PushToPage("connect:" + std::to_string(reachable()) + ",relJpgNum:\"" + GetRelJpgNum() + '"');
  });
}

void CGoogleMapDlgWrap::SetTileSource(const TileSource& source) {
  if (watcher_) watcher_->SetSource(source);
  pageInitialised_ = 0;
  if (mapWindow_ != nullptr) mapWindow_->SetTileSource(source);
}

int CGoogleMapDlgWrap::reachable() const { return watcher_ ? watcher_->reachable() : 0; }

void CGoogleMapDlgWrap::OnReachableChanged(int now) {
  // Only the page's reports change page-initialised: an outage too short for
  // the page to see leaves its map, and so the flag, as they are.
  PushToPage("connect:" + std::to_string(now));
}

void CGoogleMapDlgWrap::PushToPage(const std::string& assignments) {
  if (mapWindow_ != nullptr) {
    // Before the page has loaded there is nobody to take the values.
    mapWindow_->RunScript(
        QString::fromStdString("window.kestrelPush && kestrelPush({" + assignments + "})"));
  }
}

void CGoogleMapDlgWrap::SetGroupTrack(std::vector<PositionRecord> positions) {
  groupTrack_ = std::move(positions);
}

void CGoogleMapDlgWrap::SetFrameNumber(int frame) {
  if (frame == frameNumber_) return;
  frameNumber_ = frame;
  PushToPage("relJpgNum:\"" + GetRelJpgNum() + '"');
  // The page's loop moves the marker only while playing: a seek while paused
  // or stopped moves it here, at once.
  if (pageInitialised_ != 0 && mapWindow_ != nullptr && !mapWindow_->mapStatus.isEmpty()) {
    RunScript("orbitgrplist.MoveMarker()");
  }
}

void CGoogleMapDlgWrap::RunScript(const std::string& text) {
  if (mapWindow_ != nullptr) mapWindow_->RunScript(QString::fromStdString(text));
}

void CGoogleMapDlgWrap::RebuildTrack(int index) {
  if (pageInitialised_ == 0) return;
  // The page reads the tracks while it runs the sequence: they go first.
  PushToPage("gps:" + GetGPSData() + ",grid:" + GetGridData());
  for (const std::string& statement : RebuildStatements(index)) RunScript(statement);
}

void CGoogleMapDlgWrap::SetMapStatus(int state) {
  if (mapWindow_ == nullptr) return;
  if (state == 0) {
    mapWindow_->mapStatus.clear();
  } else if (state == 1) {
    mapWindow_->mapStatus = QStringLiteral("pause");
  } else if (state == 2) {
    mapWindow_->mapStatus = QStringLiteral("stop");
    RunScript("orbitgrplist.MoveMarker()");
  }
}

bool CGoogleMapDlgWrap::ShowMap(bool show) {
  if (show) {
    if (mapShown_ != 0 || (mapWindow_ != nullptr && mapWindow_->isVisible())) return false;
    if (mapWindow_ != nullptr) mapWindow_->show();
    mapShown_ = 1;
    return true;
  }
  if (mapShown_ == 0 || mapWindow_ == nullptr || !mapWindow_->isVisible()) return false;
  mapWindow_->hide();
  mapShown_ = 0;
  return true;
}

int CGoogleMapDlgWrap::ConnectTest() {
  // The page asks when it finds the service unreachable, and then drops its
  // map.
  const int now = reachable();
  if (now == 0) pageInitialised_ = 0;
  return now;
}

void CGoogleMapDlgWrap::OnInitHtml() {
  pageInitialised_ = 1;
  if (owner_ != nullptr) PostAppMessage(owner_, WM_APP_MAP_READY, 0, 0);
}

std::string CGoogleMapDlgWrap::GetGPSData() { return TrackArrayText(groupTrack_); }

std::string CGoogleMapDlgWrap::GetGridData() {
  const auto positions = gridSource_ ? gridSource_() : std::nullopt;
  if (!positions || positions->empty()) return "null";
  return TrackArrayText(*positions);
}

std::string CGoogleMapDlgWrap::GetRelJpgNum() { return std::to_string(frameNumber_); }

void CGoogleMapDlgWrap::OnClickCrashPoint(int, int, int ipos, int, double, double, double, double) {
  if (owner_ != nullptr) PostAppMessage(owner_, WM_APP_MAP_MARK_CLICKED, 0, ipos);
}

std::string CGoogleMapDlgWrap::GetMapURL() { return "qrc:/map/leaflet/leaflet.js"; }

void CGoogleMapDlgWrap::SetSend() {
  if (mapWindow_ != nullptr) mapWindow_->PostUpdateMessage();
}
