#include "app/kestrel_app.h"

#include <QTimer>
#include <memory>

#include "app/command_line_source.h"
#include "app/error_box.h"
#include "app/shared_fonts.h"
#include "mainwnd/kestrel_dlg.h"

void CKestrelApp::Run(const QString& source) {
  auto dialog = std::make_unique<CKestrelDlg>();
  if (!source.isEmpty()) {
    const QString problem = OpenCommandLineSource(*dialog->filer(), source);
    // Shown once the window is up, over its empty list.
    if (!problem.isEmpty()) {
      CKestrelDlg* window = dialog.get();
      QTimer::singleShot(0, window, [window, problem] { ShowErrorBox(window, problem); });
    }
  }
  dialog->exec();
  DeleteSharedFonts();
  dialog.reset();
}
