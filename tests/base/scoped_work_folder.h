#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include "base/settings_file.h"

// Makes a fresh, empty temporary folder the process's current folder and the
// viewer's working folder while it lives.
class ScopedWorkFolder {
 public:
  ScopedWorkFolder() : previous_(QDir::currentPath()) {
    QDir::setCurrent(folder_.path());
    CaptureWorkDir();
  }
  ~ScopedWorkFolder() { QDir::setCurrent(previous_); }
  ScopedWorkFolder(const ScopedWorkFolder&) = delete;
  ScopedWorkFolder& operator=(const ScopedWorkFolder&) = delete;

  QString path() const { return folder_.path(); }
  QString filePath(const QString& name) const { return folder_.filePath(name); }

 private:
  QString previous_;
  QTemporaryDir folder_;
};
