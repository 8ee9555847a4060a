#include <QApplication>

#include "mainwnd/kestrel_dlg.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  CKestrelDlg dlg;
  dlg.exec();
  return 0;
}
