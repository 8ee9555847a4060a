#include "base/qt_translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include "base/ui_text.h"

namespace {

QPointer<QTranslator> installed;

}  // namespace

bool InstallQtTranslations(int uiLanguage, const QString& folder) {
  if (QCoreApplication::instance() == nullptr) return false;
  if (installed != nullptr) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  if (uiLanguage == kEnglishUiLanguage) return false;
  auto* translator = new QTranslator(QCoreApplication::instance());
  // qtbase_ja.qm: the texts of Qt's widgets and dialogs.
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), folder)) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  return true;
}
