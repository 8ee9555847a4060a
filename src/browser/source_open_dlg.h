#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "browser/source_rules.h"

// The source dialog ("参照先"): a memory card from the list of removable
// drives, a folder, or one movie file. The choice is stored in the settings
// file's "SOURCE" section on OK only.
class CSourceOpenDlg : public QDialog {
  Q_OBJECT
 public:
  // Identifiers of the rows' controls.
  static constexpr int kCardRadioId = 39000;
  static constexpr int kFolderRadioId = 39001;
  static constexpr int kFileRadioId = 39002;
  static constexpr int kFolderBrowseId = 39003;
  static constexpr int kFileBrowseId = 39004;
  static constexpr int kDriveBoxId = 39100;
  static constexpr int kFolderFieldId = 39200;
  static constexpr int kFileFieldId = 39201;

  // The drive list is read from the mount table and sysfs tree given.
  explicit CSourceOpenDlg(QWidget* parent = nullptr,
                          const QString& mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                          const QString& sysPath = QStringLiteral("/sys"));

  // Checks the radio button of `kind` (39000..39002) and unchecks the others.
  void SelectKind(int kind);
  int kind() const { return kind_; }
  // The chosen source, once accepted.
  BrowserSource choice() const;

  QComboBox* driveBox() const { return driveBox_; }
  QLineEdit* folderField() const { return folderField_; }
  QLineEdit* fileField() const { return fileField_; }
  QPushButton* okButton() const { return okButton_; }

  // Stores the choice and closes.
  void accept() override;

 private:
  void BrowseFolder();
  void BrowseFile();
  void UpdateOk();

  int kind_ = 0;
  QString driveText_;
  QButtonGroup kinds_;
  QComboBox* driveBox_ = nullptr;
  QLineEdit* folderField_ = nullptr;
  QLineEdit* fileField_ = nullptr;
  QPushButton* okButton_ = nullptr;
};
