#include <signal.h>

#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/kestrel_app.h"
#include "map/tile_scheme_handler.h"

int main(int argc, char* argv[]) {
  // A file-size limit makes a write fail with a message instead of ending the
  // viewer mid-write.
  signal(SIGXFSZ, SIG_IGN);
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  // The version and the help need no display.
  const ViewerCommandLine line = ParseViewerCommandLine(arguments);
  if (line.printOnly) {
    std::fputs(line.text.toLocal8Bit().constData(), line.exitCode == 0 ? stdout : stderr);
    return line.exitCode;
  }
  RegisterTileScheme();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  // Ties the window to the menu entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.kestrel_viewer.Kestrel"));
  CKestrelApp app;
  app.Run(line.source, line.language);
  return 0;
}
