#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include "map/tile_scheme_handler.h"
#include "temp_dir.h"

// Runs the map page cases in one application with one web engine. The map's
// disk cache goes to a folder of the run's own.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TempDir cache;
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.path().string()));
  RegisterTileScheme();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
