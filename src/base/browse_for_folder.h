#pragma once

#include <QString>
#include <QWidget>

// Lets the user pick a folder in a dialog owned by `owner` and captioned
// `title`. The dialog starts in the folder saved under `key` in `section` of
// the settings file, or in `workDir` when none is saved. Returns the chosen
// folder, or "" when the user cancels. A choice that is no local folder gets
// the "フォルダパスの取得に失敗しました。" error box and gives "". The key is not
// written; the caller does that after using the folder.
QString BrowseForFolder(QWidget* owner, const QString& section, const QString& key,
                        const QString& title);
