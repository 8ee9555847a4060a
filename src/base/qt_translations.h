#pragma once

#include <QLibraryInfo>
#include <QString>

// Makes Qt's own texts (the standard buttons, the file pickers) read in the
// viewer's wording whatever the locale: Qt's Japanese translation for
// wordings 0 and 1, Qt's own English for the English wording. `folder` holds
// Qt's translation files; without the file Qt keeps its English, silently.
// Replaces what an earlier call installed. Returns true when a translation
// was installed.
bool InstallQtTranslations(
    int uiLanguage, const QString& folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));
