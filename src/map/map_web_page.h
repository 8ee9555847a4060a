#pragma once

#include <QUrl>
#include <QWebEnginePage>

// The map view's page: it shows the program's own map page and nothing else.
// Every other navigation is refused, so no other page ever runs next to the
// host object; a link the user clicks (http or https) opens in the desktop's
// browser instead, and no page opens a window.
class MapWebPage : public QWebEnginePage {
 public:
  MapWebPage(QWebEngineProfile* profile, const QUrl& pageUrl, QObject* parent);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;

 private:
  QUrl pageUrl_;
};
