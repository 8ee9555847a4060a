#include "browser/source_open_dlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>

#include "base/browse_for_folder.h"
#include "base/removable_drives.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "browser/saved_source.h"

namespace {

// UI text slots.
constexpr int kTitleText = 133;
constexpr int kCardText = 134;
constexpr int kFolderText = 132;
constexpr int kFileText = 131;
constexpr int kPickFolderText = 104;

const QString kSection = QStringLiteral("SOURCE");

// The rows: the radio button's box, then the field and "..." beside it.
constexpr int kRowLeft = 30;
constexpr int kFieldLeft = 150;
constexpr int kRowRight = 450;
constexpr int kRowHeight = 26;
constexpr int kBrowseWidth = 30;
constexpr int kRowTops[] = {30, 80, 130};

}  // namespace

CSourceOpenDlg::CSourceOpenDlg(QWidget* parent, const QString& mountInfoPath,
                               const QString& sysPath)
    : QDialog(parent) {
  setWindowTitle(UiText(kTitleText));
  setFont(fontNormal());
  setFixedSize(480, 220);

  const int radioWidth = kFieldLeft - kRowLeft;
  const int fieldWidth = kRowRight - kFieldLeft - kBrowseWidth;
  const int radioTexts[] = {kCardText, kFolderText, kFileText};
  for (int row = 0; row < 3; ++row) {
    auto* radio = new QRadioButton(UiText(radioTexts[row]), this);
    radio->setObjectName(QString::number(kCardRadioId + row));
    radio->setGeometry(kRowLeft, kRowTops[row], radioWidth, kRowHeight);
    kinds_.addButton(radio, kCardRadioId + row);
  }
  connect(&kinds_, &QButtonGroup::idClicked, this, &CSourceOpenDlg::SelectKind);

  driveBox_ = new QComboBox(this);
  driveBox_->setObjectName(QString::number(kDriveBoxId));
  driveBox_->setGeometry(kFieldLeft, kRowTops[0], kRowRight - kFieldLeft, kRowHeight);
  folderField_ = new QLineEdit(this);
  folderField_->setObjectName(QString::number(kFolderFieldId));
  folderField_->setGeometry(kFieldLeft, kRowTops[1], fieldWidth, kRowHeight);
  fileField_ = new QLineEdit(this);
  fileField_->setObjectName(QString::number(kFileFieldId));
  fileField_->setGeometry(kFieldLeft, kRowTops[2], fieldWidth, kRowHeight);
  auto* browseFolder = new QPushButton(QStringLiteral("..."), this);
  browseFolder->setObjectName(QString::number(kFolderBrowseId));
  browseFolder->setGeometry(kRowRight - kBrowseWidth, kRowTops[1], kBrowseWidth, kRowHeight);
  connect(browseFolder, &QPushButton::clicked, this, &CSourceOpenDlg::BrowseFolder);
  auto* browseFile = new QPushButton(QStringLiteral("..."), this);
  browseFile->setObjectName(QString::number(kFileBrowseId));
  browseFile->setGeometry(kRowRight - kBrowseWidth, kRowTops[2], kBrowseWidth, kRowHeight);
  connect(browseFile, &QPushButton::clicked, this, &CSourceOpenDlg::BrowseFile);

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setGeometry(270, 178, 85, 26);
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &CSourceOpenDlg::accept);
  auto* cancel = new QPushButton(UiText(153), this);
  cancel->setGeometry(365, 178, 85, 26);
  connect(cancel, &QPushButton::clicked, this, &CSourceOpenDlg::reject);

  QStringList drives;
  const int marked = EnumRemovableDrives(drives, mountInfoPath, sysPath);
  driveBox_->addItems(drives);
  driveBox_->setCurrentIndex(marked);
  connect(driveBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
    driveText_ = index >= 0 ? driveBox_->itemText(index) : QString();
    UpdateOk();
  });
  folderField_->setText(ReadIniString(kSection, QStringLiteral("FOLDER")));
  fileField_->setText(ReadIniString(kSection, QStringLiteral("FILE")));
  // The drive shown is the one stored on OK; the saved one when none is.
  driveText_ = driveBox_->currentIndex() >= 0 ? driveBox_->currentText()
                                              : ReadIniString(kSection, QStringLiteral("SD"));
  const QString select = ReadIniString(kSection, QStringLiteral("SELECT"));
  SelectKind(select == QStringLiteral("FOLDER") ? kFolderRadioId
             : select == QStringLiteral("FILE") ? kFileRadioId
                                                : kCardRadioId);
}

void CSourceOpenDlg::SelectKind(int kind) {
  if (kind < kCardRadioId || kind > kFileRadioId) return;
  kind_ = kind;
  kinds_.button(kind)->setChecked(true);
  UpdateOk();
}

void CSourceOpenDlg::UpdateOk() {
  okButton_->setEnabled(kind_ != kCardRadioId || driveBox_->currentIndex() >= 0);
}

BrowserSource CSourceOpenDlg::choice() const {
  switch (kind_) {
    case kCardRadioId:
      return {SourceKind::kCard, driveText_};
    case kFolderRadioId:
      return {SourceKind::kFolder, folderField_->text()};
    case kFileRadioId:
      return {SourceKind::kFile, fileField_->text()};
    default:
      return {};
  }
}

void CSourceOpenDlg::accept() {
  SaveSource(choice());
  QDialog::accept();
}

void CSourceOpenDlg::BrowseFolder() {
  const QString folder =
      BrowseForFolder(this, kSection, QStringLiteral("FOLDER"), UiText(kPickFolderText));
  if (folder.isEmpty()) return;
  folderField_->setText(QDir::toNativeSeparators(folder));
  SelectKind(kFolderRadioId);
}

void CSourceOpenDlg::BrowseFile() {
  const QString start =
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("*.mov"));
  const QString file = QFileDialog::getOpenFileName(
      this, QString(), start, QStringLiteral("Movie Files(*.mov *.mp4 *.MOV *.MP4);;All Files(*)"));
  if (file.isEmpty()) return;
  fileField_->setText(QDir::toNativeSeparators(file));
  SelectKind(kFileRadioId);
}
