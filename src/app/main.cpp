#include <QApplication>

#include "app/kestrel_app.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  CKestrelApp app;
  app.Run();
  return 0;
}
