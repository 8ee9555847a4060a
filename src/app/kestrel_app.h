#pragma once

#include <QString>
#include <optional>

#include "base/ui_text.h"

// The viewer's application object: runs the main window and tears the
// process's shared state down after it.
class CKestrelApp {
 public:
  // Runs the main window in the application's event loop until it closes, then frees the
  // shared fonts and the window. A `source` path (a recording file or a
  // folder) is opened in the window's recording browser and saved as the
  // source; when it cannot be opened, the window shows a message over its
  // empty list. The wording follows `language` when given, else the
  // settings file's choice; the speed unit is the settings file's.
  void Run(const QString& source = QString(),
           std::optional<UiLanguageChoice> language = std::nullopt);
};
