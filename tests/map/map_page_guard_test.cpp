#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QTest>
#include <QWebEngineView>

#include "map/google_map_dlg2.h"
#include "map_page_fixture.h"

namespace {

// Takes the addresses that would go to the desktop's browser.
class BrowserStandIn : public QObject {
  Q_OBJECT
 public:
  BrowserStandIn() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
  }
  ~BrowserStandIn() override {
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  }
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened.append(url); }
};

int RequestsFor(const TileServer& server, const QByteArray& path) {
  int n = 0;
  for (const TileServer::Request& r : server.requests()) n += r.path == path ? 1 : 0;
  return n;
}

}  // namespace

// The view shows the program's page and nothing else: the attribution link,
// a script's navigation, a window and a frame never bring the server's page
// (which would report the channel it finds) into the view; a link the user
// clicks opens in the desktop's browser, and only http or https.
TEST(MapPageGuardTest, TheViewNeverLeavesItsPage) {
  TileServer server;
  ASSERT_TRUE(server.Start());
  server.SetPage("/",
                 "<script>fetch('/page-ran?channel=' + (typeof qt === 'object' && "
                 "!!qt.webChannelTransport))</script>");
  BrowserStandIn browser;
  MapPage page(ServerSource(server));
  ASSERT_TRUE(page.WaitInitialised());
  QWebEngineView* view = page.map().mapWindow()->webView();
  const QUrl own = view->url();
  const QString root = QStringLiteral("http://127.0.0.1:%1/").arg(server.port());

  struct Attempt {
    const char* name;
    QString script;
  };
  const Attempt attempts[] = {
      {"attribution link",
       "document.querySelector('.leaflet-control-attribution a:last-child').click()"},
      {"file link",
       "var a = document.createElement('a'); a.href = 'file:///etc/passwd'; "
       "document.body.appendChild(a); a.click()"},
      {"script", QStringLiteral("location.href = '%1'").arg(root)},
      {"window", QStringLiteral("window.open('%1')").arg(root)},
      {"frame", QStringLiteral("var f = document.createElement('iframe'); f.src = '%1'; "
                               "document.body.appendChild(f)")
                    .arg(root)},
  };
  for (const Attempt& attempt : attempts) {
    page.Eval(attempt.script + QStringLiteral("; 0"));
    QTest::qWait(1500);
    EXPECT_EQ(view->url(), own) << attempt.name;
    EXPECT_EQ(RequestsFor(server, "/"), 0) << attempt.name;
    EXPECT_EQ(page.Eval("g_map !== null && typeof orbitgrplist").toString(),
              QStringLiteral("object"))
        << attempt.name;
  }
  EXPECT_EQ(server.CountOf("/page-ran"), 0);
  EXPECT_TRUE(browser.opened.contains(QUrl(root))) << browser.opened.size();
  EXPECT_FALSE(browser.opened.contains(QUrl(QStringLiteral("file:///etc/passwd"))));
}

// A tile setting that closes the page's script block is a tile address to
// the page, never script: the page works and nothing of the setting runs.
TEST(MapPageGuardTest, ATileSettingIsNeverScript) {
  TileServer server;
  ASSERT_TRUE(server.Start());
  const QString setting =
      QStringLiteral(
          "http://127.0.0.1:%1/{z}/{x}/{y}.png?a=</script><script>window.kestrelInjected = 1; "
          "fetch('http://127.0.0.1:%1/injected');</script><script>")
          .arg(server.port());
  MapPage page(TileSource::FromSetting(setting));
  WaitFor([&] { return server.CountOf("/16/") >= 1 || server.CountOf("/injected") > 0; }, 15000);
  QTest::qWait(500);
  EXPECT_EQ(server.CountOf("/injected"), 0);
  EXPECT_EQ(page.Eval("typeof window.kestrelInjected").toString(), QStringLiteral("undefined"));
  EXPECT_TRUE(page.map().pageInitialised());
  EXPECT_GE(server.CountOf("/16/"), 1);
  EXPECT_EQ(page.Eval("kestrelValues.tiles.url").toString(), setting);
}

#include "map_page_guard_test.moc"
