#include "map/web_engine_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QWidget>

#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"

// Run by root, the web engine starts only with its sandbox switched off,
// which it learns from its own variable or from its own arguments.
TEST(WebEngineCheckTest, RootNeedsTheSandboxSwitchedOff) {
  struct Case {
    const char* name;
    unsigned euid;
    QStringList environment;
    QStringList arguments;
    bool refuses;
  };
  const Case cases[] = {
      {"user", 1000, {}, {"kestrel"}, false},
      {"root", 0, {"LANG=C"}, {"kestrel"}, true},
      {"root, sandbox variable", 0, {"QTWEBENGINE_DISABLE_SANDBOX=1"}, {"kestrel"}, false},
      {"root, empty sandbox variable", 0, {"QTWEBENGINE_DISABLE_SANDBOX="}, {"kestrel"}, false},
      {"root, engine argument", 0, {}, {"kestrel", "--webEngineArgs", "--no-sandbox"}, false},
      {"root, argument not for the engine", 0, {}, {"kestrel", "--no-sandbox"}, true},
      {"root, engine flags",
       0,
       {"QTWEBENGINE_CHROMIUM_FLAGS=--a --no-sandbox"},
       {"kestrel"},
       false},
      {"root, engine flags override arguments",
       0,
       {"QTWEBENGINE_CHROMIUM_FLAGS=--a"},
       {"kestrel", "--webEngineArgs", "--no-sandbox"},
       true},
  };
  for (const Case& c : cases) {
    QProcessEnvironment environment;
    for (const QString& pair : c.environment) {
      const qsizetype equals = pair.indexOf(QLatin1Char('='));
      environment.insert(pair.left(equals), pair.mid(equals + 1));
    }
    EXPECT_EQ(SandboxRefusesToStart(c.euid, environment, c.arguments), c.refuses) << c.name;
  }
}

// Where the engine would refuse, the map host makes no web view (the engine
// would end the process): the map window stays empty.
TEST(WebEngineCheckTest, NoWebViewWhereTheSandboxRefuses) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  const QByteArray sandbox = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
  const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  const bool sandboxSet = qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX");
  const bool flagsSet = qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS");
  qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
  qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  EXPECT_FALSE(IsWebView2RuntimeInstalled());
  {
    QWidget parent;
    CGoogleMapDlgWrap map;
    map.Create(&parent, nullptr, TileSource::FromSetting(QStringLiteral("http://127.0.0.1:9/{z}")));
    ASSERT_NE(map.mapWindow(), nullptr);
    EXPECT_EQ(map.mapWindow()->webView(), nullptr);
    EXPECT_FALSE(map.mapWindow()->holder().started);
  }
  if (sandboxSet) qputenv("QTWEBENGINE_DISABLE_SANDBOX", sandbox);
  if (flagsSet) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
  if (sandboxSet) {
    EXPECT_TRUE(IsWebView2RuntimeInstalled());
  }
}
