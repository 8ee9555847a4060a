#include <gtest/gtest.h>

#include <QApplication>

#include "temp_dir.h"

// Runs the test cases inside a QApplication (offscreen unless a platform is
// chosen), as the viewer's windows need one. The main window starts the
// map's web engine: as root it needs its sandbox off, its cache goes to a
// folder of the run's own, and a proxy that refuses every connection keeps
// the tile server unreachable, so that no tile is fetched.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  TempDir cache;
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.path().string()));
  qputenv("https_proxy", "http://127.0.0.1:9");
  qputenv("http_proxy", "http://127.0.0.1:9");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
