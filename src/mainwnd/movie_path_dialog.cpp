#include "mainwnd/movie_path_dialog.h"

QString AskMoviePath(QWidget* owner, QFileDialog::AcceptMode mode, const QString& title,
                     const QString& proposal) {
  QFileDialog dialog(owner, title);
  dialog.setAcceptMode(mode);
  if (mode == QFileDialog::AcceptOpen) dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("mov"));
  dialog.setNameFilters(
      {QStringLiteral("Movie Files(*.mov *.MOV)"), QStringLiteral("All Files(*.*)")});
  dialog.selectFile(proposal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}
