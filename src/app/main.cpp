#include <signal.h>

#include <QApplication>

#include "app/kestrel_app.h"
#include "map/tile_scheme_handler.h"

int main(int argc, char* argv[]) {
  // A file-size limit makes a write fail with a message instead of ending the
  // viewer mid-write.
  signal(SIGXFSZ, SIG_IGN);
  RegisterTileScheme();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  CKestrelApp app;
  app.Run();
  return 0;
}
