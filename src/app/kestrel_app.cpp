#include "app/kestrel_app.h"

#include <QApplication>
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
  // The window is an ordinary top-level window of the application's event
  // loop, not modal to anything: its keys and the windows it opens (the
  // update dialog, the meters) take input while it is up.
  QObject::connect(dialog.get(), &QDialog::finished, qApp, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  dialog->show();
  QApplication::exec();
  DeleteSharedFonts();
  dialog.reset();
}
