#include "map/google_map_dlg2.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebChannel>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "map/host_web_view_funcs.h"
#include "map/host_web_view_object.h"
#include "map/map_pins.h"
#include "map/map_profile.h"
#include "map/map_statements.h"
#include "map/map_web_page.h"

namespace {

const QUrl kPageUrl(QStringLiteral("qrc:/map/map_page.html"));

// The values the page needs from the start, as JSON text: the library's
// address, the tile source and the pins.
QString PageConfig(IHostWebViewFuncs* funcs, const TileSource& source) {
  QJsonObject tiles{{QStringLiteral("url"), source.pageTemplate()},
                    {QStringLiteral("attribution"), source.attribution()},
                    {QStringLiteral("minZoom"), source.minZoom()},
                    {QStringLiteral("maxZoom"), source.maxZoom()}};
  QJsonObject config{{QStringLiteral("mapUrl"), QString::fromStdString(funcs->GetMapURL())},
                     {QStringLiteral("tiles"), tiles},
                     {QStringLiteral("icons"), QJsonArray::fromStringList(PinDataUrls())},
                     {QStringLiteral("shadow"), PinShadowDataUrl()}};
  return QString::fromUtf8(QJsonDocument(config).toJson(QJsonDocument::Compact));
}

}  // namespace

CGoogleMapDlg2::CGoogleMapDlg2(QWidget* parent, IHostWebViewFuncs* funcs, const TileSource& source)
    : QWidget(parent), funcs_(funcs), source_(source) {
  setAccessibleName(QStringLiteral("map"));
}

CGoogleMapDlg2::~CGoogleMapDlg2() {
  // The page goes before its view, so that the view leaves nothing behind.
  if (holder_.webView != nullptr) delete holder_.webView->page();
}

void CGoogleMapDlg2::StartWebView(std::function<void()> loaded) {
  if (holder_.started) return;
  holder_.started = true;
  auto* view = new QWebEngineView(this);
  auto* page = new MapWebPage(MapProfile(source_), kPageUrl, view);
  page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
  page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  view->setPage(page);
  holder_.channel = new QWebChannel(page);
  holder_.hostObject = new HostWebViewObject(funcs_, PageConfig(funcs_, source_), holder_.channel);
  connect(holder_.hostObject, &HostWebViewObject::messageReceived, this,
          &CGoogleMapDlg2::OnWebMessage);
  holder_.channel->registerObject(QStringLiteral("sample"), holder_.hostObject);
  page->setWebChannel(holder_.channel);
  connect(view, &QWebEngineView::loadFinished, this, [loaded](bool) { loaded(); });
  view->setGeometry(rect());
  view->setZoomFactor(kZoomFactor);
  view->load(kPageUrl);
  view->show();
  holder_.webView = view;
}

void CGoogleMapDlg2::SetTileSource(const TileSource& source) {
  source_ = source;
  if (holder_.webView == nullptr) return;
  MapProfile(source_);
  holder_.hostObject->SetConfig(PageConfig(funcs_, source_));
  holder_.webView->load(kPageUrl);
}

bool CGoogleMapDlg2::RunScript(const QString& text) {
  if (holder_.webView == nullptr) return false;
  holder_.webView->page()->runJavaScript(text);
  return true;
}

bool CGoogleMapDlg2::PostUpdateMessage() {
  if (holder_.webView == nullptr) return false;
  holder_.map_lat = QString::fromStdString(FixedText(latitude));
  holder_.map_lng = QString::fromStdString(FixedText(longitude));
  holder_.map_status = mapStatus;
  emit holder_.hostObject->webMessage(
      QString::fromStdString(UpdateMessage(latitude, longitude, mapStatus.toStdString())));
  return true;
}

void CGoogleMapDlg2::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (holder_.webView == nullptr) return;
  holder_.webView->setGeometry(rect());
  holder_.webView->setZoomFactor(kZoomFactor);
}

void CGoogleMapDlg2::OnWebMessage(const QString& json) {
  holder_.json.Clear();
  holder_.json.Read(json.toStdString());
  holder_.map_lat = QString::fromStdString(holder_.json.Value("map_lat"));
  holder_.map_lng = QString::fromStdString(holder_.json.Value("map_lng"));
  holder_.map_status = QString::fromStdString(holder_.json.Value("map_status"));
}
