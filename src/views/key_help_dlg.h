#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QPushButton;
class QTableWidget;

// One line of the key help: the key and what it does.
struct KeyHelpRow {
  QString key;
  QString action;
};

// The list of the main window's keys: a two-column table of key and action
// with a close button; Esc closes it too.
class CKeyHelpDlg : public QDialog {
  Q_OBJECT
 public:
  CKeyHelpDlg(const std::vector<KeyHelpRow>& rows, QWidget* parent = nullptr);

  QTableWidget* table() const { return table_; }
  QPushButton* closeButton() const { return closeButton_; }

 private:
  QTableWidget* table_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};
