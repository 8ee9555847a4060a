#include "app/command_line_source.h"

#include <QDir>
#include <QFileInfo>

#include "base/ui_text.h"
#include "browser/filer_container.h"
#include "browser/saved_source.h"

namespace {

// UI text slots of the messages.
constexpr int kNoMoviesText = 101;
constexpr int kOpenFailedText = 99;

}  // namespace

BrowserSource CommandLineSource(const QString& path) {
  const QFileInfo info(path);
  const QString absolute = QDir::cleanPath(info.absoluteFilePath());
  if (info.isDir()) return {SourceKind::kFolder, CardBrowseRoot(absolute)};
  return {SourceKind::kFile, absolute};
}

QString OpenCommandLineSource(CFilerContainer& filer, const QString& path) {
  const BrowserSource source = CommandLineSource(path);
  const bool exists = QFileInfo::exists(source.path);
  if (exists) SaveSource(source);
  if (filer.ApplySource(source.kind, source.path)) return QString();
  return UiText(exists ? kOpenFailedText : kNoMoviesText) + QLatin1Char('\n') +
         QDir::toNativeSeparators(source.path);
}
