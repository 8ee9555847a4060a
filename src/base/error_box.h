#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <vector>

// Shows `text` in a modal message box captioned "ERROR" with an OK button,
// owned by `owner`; returns when the user has closed it.
void ShowErrorBox(QWidget* owner, const QString& text);

// Shows `text` captioned `caption` with an OK button.
void ShowMessageBox(QWidget* owner, const QString& text, const QString& caption);

// Asks `text` captioned `caption` with OK and Cancel; true only for OK.
bool AskOkCancel(QWidget* owner, const QString& text, const QString& caption);

// The message of an export that left out the recordings it could not read:
// `text`, then their names one a line. The names go to standard error too.
QString LeftOutMessage(const QString& text, const std::vector<std::filesystem::path>& leftOut);
