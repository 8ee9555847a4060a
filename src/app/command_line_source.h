#pragma once

#include <QString>

#include "browser/source_rules.h"

class CFilerContainer;

// The source that a path given on the command line stands for, as the
// source dialog would take it: a folder is the folder choice (a memory
// card's root stands for its "DCIM" folder, as the card is browsed from
// there), anything else the file choice. The path is made absolute.
BrowserSource CommandLineSource(const QString& path);

// Opens `path` in the recording browser `filer` as the source dialog's
// choice does, and saves it as the source when it exists (a path that does
// not exist leaves the saved source alone). Returns the message to show
// when nothing could be opened, else "".
QString OpenCommandLineSource(CFilerContainer& filer, const QString& path);
