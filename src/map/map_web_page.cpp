#include "map/map_web_page.h"

#include <QDesktopServices>
#include <QWebEngineNewWindowRequest>

namespace {

void OpenInBrowser(const QUrl& url) {
  if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
    QDesktopServices::openUrl(url);
  }
}

}  // namespace

MapWebPage::MapWebPage(QWebEngineProfile* profile, const QUrl& pageUrl, QObject* parent)
    : QWebEnginePage(profile, parent), pageUrl_(pageUrl) {
  // A link with a target: the user asked for the address, not for a window.
  connect(this, &QWebEnginePage::newWindowRequested, this, [](QWebEngineNewWindowRequest& request) {
    if (request.isUserInitiated()) OpenInBrowser(request.requestedUrl());
  });
}

bool MapWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
  if (isMainFrame && url == pageUrl_) return true;
  if (type == NavigationTypeLinkClicked) OpenInBrowser(url);
  return false;
}

QWebEnginePage* MapWebPage::createWindow(WebWindowType) { return nullptr; }
