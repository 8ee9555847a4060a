#include "app/kestrel_app.h"

#include <QApplication>
#include <QTimer>

#include "app/command_line_source.h"
#include "base/display_choices.h"
#include "base/error_box.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "mainwnd/kestrel_dlg.h"

void CKestrelApp::Run(const QString& source, std::optional<UiLanguageChoice> language) {
  // The wording and the speed unit of this run, from the settings file in
  // the working folder (the command line's language over it); Qt's own
  // dialogs speak the same language.
  CaptureWorkDir();
  TakeDisplayChoices(language, QLocale::system());
  auto* window = new CKestrelDlg();
  if (!source.isEmpty()) {
    const QString problem = OpenCommandLineSource(*window->filer(), source);
    // Shown once the window is up, over its empty list.
    if (!problem.isEmpty()) {
      QTimer::singleShot(0, window, [window, problem] { ShowErrorBox(window, problem); });
    }
  }
  // The window is an ordinary top-level window of the application's event
  // loop, not modal to anything: its keys and the windows it opens (the
  // update dialog, the meters) take input while it is up. Once closed it is
  // deleted while the loop still runs, so that the web engine takes its view
  // and helper processes down, and then the loop ends.
  QObject::connect(window, &QDialog::finished, window, &QObject::deleteLater);
  QObject::connect(window, &QObject::destroyed, qApp, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  QApplication::setQuitOnLastWindowClosed(false);
  window->show();
  QApplication::exec();
  DeleteSharedFonts();
}
