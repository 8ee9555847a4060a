#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "base/ui_text.h"

// What the viewer's command line asks for.
struct ViewerCommandLine {
  // Print `text` (the version or the help) and end with `exitCode` instead
  // of starting the window.
  bool printOnly = false;
  int exitCode = 0;
  QString text;
  // A recording file or a folder to open as the source; may be empty.
  QString source;
  // The wording asked for this run ("--lang en|ja"), over the settings file's.
  std::optional<UiLanguageChoice> language;
};

// Reads `arguments` (the program's name first): "--version", "--help",
// "--lang en|ja" (or "--lang=en") and at most one source path. An unknown
// option or language, or a second path, gives an error text and exit code 2.
ViewerCommandLine ParseViewerCommandLine(const QStringList& arguments);
