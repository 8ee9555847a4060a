#include "update/update_check.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "base/app_message.h"
#include "base/ui_text.h"
#include "local_http_server.h"
#include "update/version_fetch.h"
#include "update/version_rules.h"

namespace {

const std::string kFirmwareFile(kFirmwareVersionPath);
const std::string kViewerFile(kViewerVersionPath);

// The main window's stand-in: notes the messages it gets.
class Target : public QObject {
 public:
  std::vector<int> messages;
  bool event(QEvent* event) override {
    if (auto* m = dynamic_cast<AppMessageEvent*>(event)) {
      messages.push_back(m->message());
      return true;
    }
    return QObject::event(event);
  }
};

// The servers of these tests are reached directly, whatever proxy the
// machine's environment names.
void ReachServersDirectly() {
  qunsetenv("http_proxy");
  qunsetenv("HTTP_PROXY");
}

QString Server(const LocalHttpServer& server) {
  return QStringLiteral("127.0.0.1:%1").arg(server.port());
}

// The link text of one update, written out as the dialog's format gives it.
QString OneUpdate(int label, const QString& current, const QString& next, const QString& page) {
  return UiText(label) + ":\r\n" + UiText(109) + current + "   →   " + UiText(111) + next +
         "\r\n\r\nURL : <a href=\"" + page + "\">" + page + "</a>";
}

TEST(UpdateCheck, ReportsWhatTheVersionFilesTell) {
  ReachServersDirectly();
  LocalHttpServer server;
  const QString host = Server(server);
  const QString fwPage = "http://" + host + QString::fromUtf8(kFirmwarePagePath.data());
  const QString viewerPage = "http://" + host + QString::fromUtf8(kViewerPagePath.data());
  struct Case {
    std::string firmwareFile, viewerFile;
    QString recorder;
    QString linkText;  // empty: no update reported
  };
  const Case cases[] = {
      {"VER:1.2.3.4", "VER:2.0.0.0", "1.2.3", ""},
      {"VER:1.2.3.4\r\n", "VER:2.0.0.0\r\n", "1.2.3", ""},
      {"VER:9.9.9", "VER:2.0.0.0", "", ""},
      {"VER:1.2.4\r\n", "VER:2.0.0.0", "1.2.3",
       UiText(107) + "\r\n\r\n" + OneUpdate(110, "1.2.3.0", "1.2.4.0", fwPage)},
      {"VER:1.2.3", "VER:2.1.0.0\r\n", "1.2.3",
       UiText(107) + "\r\n\r\n" + OneUpdate(112, "2.0.0.0", "2.1.0.0", viewerPage)},
      {"VER:1.3.0", "VER:2.1.0.0", "1.2.3",
       UiText(107) + "\r\n\r\n" + OneUpdate(110, "1.2.3.0", "1.3.0.0", fwPage) + "\r\n\r\n\r\n" +
           OneUpdate(112, "2.0.0.0", "2.1.0.0", viewerPage) + "\r\n"},
      {"VER:1.2.3", "VER:<b>2.1</b>", "1.2.3",
       UiText(107) + "\r\n\r\n" + OneUpdate(112, "2.0.0.0", "&lt;b&gt;2.1&lt;/b&gt;", viewerPage)},
      // Failures end the check silently.
      {"version 1.2.4", "VER:2.1.0.0", "1.2.3", ""},
      {"VER:1.2.4", "nothing", "1.2.3", ""},
  };
  for (const Case& c : cases) {
    server.SetAnswer(kFirmwareFile, {200, c.firmwareFile});
    server.SetAnswer(kViewerFile, {200, c.viewerFile});
    Target target;
    CUpdateCheck check;
    ASSERT_TRUE(check.Start(&target, host, c.recorder, "2.0.0.0"));
    EXPECT_FALSE(check.Start(&target, host, c.recorder, "2.0.0.0"));  // once a run
    check.Wait();
    QApplication::processEvents();
    EXPECT_EQ(check.TakeLinkText(), c.linkText) << c.firmwareFile << ' ' << c.viewerFile;
    EXPECT_EQ(target.messages.size(), c.linkText.isEmpty() ? 0u : 1u);
    if (!c.linkText.isEmpty()) {
      EXPECT_EQ(target.messages[0], CUpdateCheck::kMessageUpdateFound);
    }
  }
  Target target;
  CUpdateCheck unset;
  EXPECT_FALSE(unset.Start(&target, "", "1.2.3", "2.0.0.0"));
  EXPECT_FALSE(unset.started());
}

TEST(UpdateCheck, FetchEndsOnEveryFailure) {
  ReachServersDirectly();
  LocalHttpServer server;
  const QString base = "http://" + Server(server);
  server.SetAnswer("/ok", {200, "VER:1.2.3"});
  server.SetAnswer("/gone", {404, "VER:1.2.3"});
  server.SetAnswer("/huge", {200, "VER:7.7.7 " + std::string(10 << 20, 'x')});
  server.SetAnswer("/late", {200, std::string(1100, ' ') + "VER:1.0"});
  server.SetAnswer("/silent", {200, "", true});
  EXPECT_EQ(FetchVersion(QUrl(base + "/ok")), "1.2.3");
  EXPECT_EQ(FetchVersion(QUrl(base + "/gone")), std::nullopt);
  EXPECT_EQ(FetchVersion(QUrl(base + "/huge")), "7.7.7 " + std::string(kVersionTextLimit - 6, 'x'));
  EXPECT_EQ(FetchVersion(QUrl(base + "/late")), std::nullopt);
  EXPECT_EQ(FetchVersion(QUrl("http://127.0.0.1:1/closed")), std::nullopt);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(FetchVersion(QUrl(base + "/silent"), std::chrono::milliseconds(500)), std::nullopt);
  EXPECT_LT(clock.elapsed(), 5000);

  // A server that never answers leaves the user-interface thread free, and
  // the check stops when asked.
  server.SetAnswer(kFirmwareFile, {200, "", true});
  Target target;
  CUpdateCheck check;
  ASSERT_TRUE(check.Start(&target, Server(server), "1.2.3", "2.0.0.0"));
  int ticks = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
  tick.start(10);
  clock.restart();
  while (clock.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_GT(ticks, 5);
  clock.restart();
  check.Stop();
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_TRUE(target.messages.empty());
}

TEST(UpdateCheck, GoesThroughTheProxyOfTheEnvironment) {
  LocalHttpServer proxy;
  proxy.SetAnswer(kFirmwareFile, {200, "VER:1.2.4"});
  proxy.SetAnswer(kViewerFile, {200, "VER:2.0.0.0"});
  qputenv("http_proxy", QByteArray("http://127.0.0.1:") + QByteArray::number(proxy.port()));
  qputenv("no_proxy", "");
  Target target;
  CUpdateCheck check;
  // The host exists only for the proxy.
  ASSERT_TRUE(check.Start(&target, "updates.kestrel.invalid:8080", "1.2.3", "2.0.0.0"));
  check.Wait();
  ReachServersDirectly();
  qunsetenv("no_proxy");
  EXPECT_TRUE(check.TakeLinkText().contains("1.2.4.0"));
  EXPECT_EQ(proxy.requestLines(),
            (std::vector<std::string>{
                "GET http://updates.kestrel.invalid:8080" + kFirmwareFile + " HTTP/1.1",
                "GET http://updates.kestrel.invalid:8080" + kViewerFile + " HTTP/1.1"}));
}

}  // namespace
