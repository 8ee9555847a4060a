#pragma once

#include <QFileDialog>
#include <QString>

// Asks for a recorder movie with the file dialog: one to save (`proposal`
// the name offered) or an existing one to open. "" when cancelled.
QString AskMoviePath(QWidget* owner, QFileDialog::AcceptMode mode, const QString& title,
                     const QString& proposal);
