#pragma once

#include <QString>
#include <QWidget>

// Shows `text` in a modal message box captioned "ERROR" with an OK button,
// owned by `owner`; returns when the user has closed it.
void ShowErrorBox(QWidget* owner, const QString& text);
