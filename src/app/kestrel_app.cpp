#include "app/kestrel_app.h"

#include <memory>

#include "app/shared_fonts.h"
#include "mainwnd/kestrel_dlg.h"

void CKestrelApp::Run() {
  auto dialog = std::make_unique<CKestrelDlg>();
  dialog->exec();
  DeleteSharedFonts();
  dialog.reset();
}
