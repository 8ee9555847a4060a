#pragma once

#include <QString>

// The viewer's application object: runs the main window and tears the
// process's shared state down after it.
class CKestrelApp {
 public:
  // Runs the main window in the application's event loop until it closes, then frees the
  // shared fonts and the window. A `source` path (a recording file or a
  // folder) is opened in the window's recording browser and saved as the
  // source; when it cannot be opened, the window shows a message over its
  // empty list.
  void Run(const QString& source = QString());
};
