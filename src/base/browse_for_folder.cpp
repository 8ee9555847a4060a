#include "base/browse_for_folder.h"

#include <QFileDialog>
#include <QUrl>

#include "base/error_box.h"
#include "base/settings_file.h"
#include "base/ui_text.h"

QString BrowseForFolder(QWidget* owner, const QString& section, const QString& key,
                        const QString& title) {
  QString start = ReadIniString(section, key);
  if (start.isEmpty()) start = workDir();
  const QUrl chosen =
      QFileDialog::getExistingDirectoryUrl(owner, title, QUrl::fromLocalFile(start),
                                           QFileDialog::ShowDirsOnly, {QStringLiteral("file")});
  if (chosen.isEmpty()) return {};
  if (!chosen.isLocalFile()) {
    ShowErrorBox(owner, UiText(98));
    return {};
  }
  return chosen.toLocalFile();
}
