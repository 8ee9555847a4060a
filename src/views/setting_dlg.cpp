#include "views/setting_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimeZone>
#include <algorithm>
#include <limits>
#include <utility>

#include "base/app_message.h"
#include "base/display_choices.h"
#include "base/error_box.h"
#include "base/fitted_text.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "base/viewer_version.h"
#include "views/overlay_choices.h"

namespace {

constexpr QSize kSize(460, 616);

// A rectangle by its left, top, right and bottom edges (right and bottom
// outside it).
constexpr QRect Edges(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

// UI text slots.
constexpr int kTitleText = 16;
constexpr int kIconGroupText = 129;
constexpr int kVersionGroupText = 128;
constexpr int kDisplayGroupText = 152;
constexpr int kLanguageText = 145;
constexpr int kSpeedUnitText = 146;
constexpr int kNextStartText = 150;
constexpr int kNotSavedText = 151;
constexpr int kCancelText = 153;
constexpr int kTimeZoneText = 226;
constexpr int kClockOffsetText = 227;
constexpr int kTileSourceText = 228;
constexpr int kStandardServerText = 229;
constexpr int kTileFileText = 131;
constexpr int kTileFolderText = 132;

// The language list's rows: automatic, Japanese, English.
constexpr std::array<std::pair<UiLanguageChoice, int>, 3> kLanguageRows = {{
    {UiLanguageChoice::kAuto, 147},
    {UiLanguageChoice::kJapanese, 148},
    {UiLanguageChoice::kEnglish, 149},
}};
constexpr std::array<SpeedUnit, 2> kSpeedUnitRows = {SpeedUnit::kKmh, SpeedUnit::kMph};

struct KindBox {
  QRect rect;
  int text;
};

// The icon kinds in index order: drive support, emergency stop, parking
// impact, speeding.
constexpr std::array<KindBox, CSettingDlg::kKindCount> kKindBoxes = {{
    {Edges(40, 40, 200, 80), 116},
    {Edges(40, 100, 200, 140), 125},
    {Edges(240, 40, 400, 80), 126},
    {Edges(240, 100, 400, 140), 130},
}};

constexpr QRect kIconGroup(QPoint(10, 10), QPoint(439, 169));
constexpr QRect kVersionGroup(QPoint(10, 170), QPoint(439, 279));
constexpr QRect kVersionRect(QPoint(20, 190), QPoint(429, 249));
constexpr QRect kDisplayGroup(QPoint(10, 280), QPoint(439, 439));
constexpr QRect kLanguageLabelRect(20, 305, 75, 24);
constexpr QRect kLanguageListRect(95, 305, 125, 24);
constexpr QRect kSpeedUnitLabelRect(230, 305, 90, 24);
constexpr QRect kSpeedUnitListRect(320, 305, 105, 24);
constexpr QRect kTimeZoneLabelRect(20, 337, 110, 24);
constexpr QRect kTimeZoneListRect(130, 337, 295, 24);
constexpr QRect kClockOffsetLabelRect(20, 369, 110, 24);
constexpr QRect kClockOffsetBoxRect(130, 369, 120, 24);
constexpr QRect kTileSourceLabelRect(20, 401, 110, 24);
constexpr QRect kTileSourceBoxRect(130, 401, 155, 24);
constexpr QRect kTileFileRect(290, 401, 65, 24);
constexpr QRect kTileFolderRect(360, 401, 65, 24);
constexpr QRect kOverlayGroup(QPoint(10, 435), QPoint(439, 559));
constexpr QRect kNextStartRect(20, 570, 225, 26);
constexpr QRect kOkRect(255, 570, 85, 26);
constexpr QRect kCancelRect(350, 570, 85, 26);

QGroupBox* AddGroup(QWidget* parent, int text, const QRect& rect) {
  auto* group = new QGroupBox(UiText(text), parent);
  group->setGeometry(rect);
  group->lower();
  return group;
}

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& rect) {
  auto* label = new QLabel(parent);
  label->setGeometry(rect);
  SetFittedText(label, text);
  return label;
}

// A list or box with its label before it, both named by the label's text.
template <typename Field>
Field* AddLabelled(QWidget* parent, int text, const QRect& labelRect, const QRect& fieldRect) {
  auto* label = AddLabel(parent, UiText(text), labelRect);
  auto* field = new Field(parent);
  field->setGeometry(fieldRect);
  field->setAccessibleName(UiText(text));
  label->setBuddy(field);
  return field;
}

int LanguageRow(UiLanguageChoice choice) {
  for (std::size_t row = 0; row < kLanguageRows.size(); ++row) {
    if (kLanguageRows[row].first == choice) return static_cast<int>(row);
  }
  return 0;
}

int SpeedUnitRow(SpeedUnit unit) {
  for (std::size_t row = 0; row < kSpeedUnitRows.size(); ++row) {
    if (kSpeedUnitRows[row] == unit) return static_cast<int>(row);
  }
  return 0;
}

}  // namespace

CSettingDlg::CSettingDlg(QObject* messageTarget, QWidget* parent)
    : QDialog(parent), messageTarget_(messageTarget) {
  setFont(fontNormal());
  setWindowTitle(UiText(kTitleText));
  setFixedSize(kSize);

  AddGroup(this, kIconGroupText, kIconGroup);
  AddGroup(this, kVersionGroupText, kVersionGroup);
  for (int index = 0; index < kKindCount; ++index) {
    auto* box = new QCheckBox(this);
    box->setObjectName(QString::number(kFirstKindCommand + index));
    box->setGeometry(kKindBoxes[index].rect);
    SetFittedText(box, UiText(kKindBoxes[index].text));
    box->setChecked(true);
    connect(box, &QCheckBox::clicked, this,
            [this, index](bool ticked) { OnKindClicked(index, ticked); });
    kindBoxes_[index] = box;
  }

  versionText_ = new QLabel(VersionText(), this);
  versionText_->setObjectName(QString::number(kVersionTextId));
  versionText_->setGeometry(kVersionRect);
  versionText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  versionText_->setAccessibleName(versionText_->text());

  AddGroup(this, kDisplayGroupText, kDisplayGroup);
  auto* languageLabel = AddLabel(this, UiText(kLanguageText), kLanguageLabelRect);
  languageList_ = new QComboBox(this);
  for (const auto& [choice, text] : kLanguageRows) languageList_->addItem(UiText(text));
  languageList_->setGeometry(kLanguageListRect);
  languageList_->setAccessibleName(UiText(kLanguageText));
  languageLabel->setBuddy(languageList_);
  auto* unitLabel = AddLabel(this, UiText(kSpeedUnitText), kSpeedUnitLabelRect);
  speedUnitList_ = new QComboBox(this);
  for (const SpeedUnit unit : kSpeedUnitRows) {
    speedUnitList_->addItem(QString::fromLatin1(SpeedUnitLabel(unit)));
  }
  speedUnitList_->setGeometry(kSpeedUnitListRect);
  speedUnitList_->setAccessibleName(UiText(kSpeedUnitText));
  unitLabel->setBuddy(speedUnitList_);

  timeZoneList_ =
      AddLabelled<QComboBox>(this, kTimeZoneText, kTimeZoneLabelRect, kTimeZoneListRect);
  const QByteArray systemZone = QTimeZone::systemTimeZoneId();
  timeZoneList_->addItem(QString::fromLatin1(systemZone));
  for (const QByteArray& zone : QTimeZone::availableTimeZoneIds()) {
    if (zone != systemZone) timeZoneList_->addItem(QString::fromLatin1(zone));
  }
  clockOffsetBox_ =
      AddLabelled<QSpinBox>(this, kClockOffsetText, kClockOffsetLabelRect, kClockOffsetBoxRect);
  clockOffsetBox_->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  tileSourceBox_ =
      AddLabelled<QComboBox>(this, kTileSourceText, kTileSourceLabelRect, kTileSourceBoxRect);
  tileSourceBox_->setEditable(true);
  tileSourceBox_->setInsertPolicy(QComboBox::NoInsert);
  tileSourceBox_->addItem(UiText(kStandardServerText));
  tileFileButton_ = new QPushButton(this);
  tileFileButton_->setGeometry(kTileFileRect);
  SetFittedText(tileFileButton_, UiText(kTileFileText));
  connect(tileFileButton_, &QPushButton::clicked, this, &CSettingDlg::PickTileFile);
  tileFolderButton_ = new QPushButton(this);
  tileFolderButton_->setGeometry(kTileFolderRect);
  SetFittedText(tileFolderButton_, UiText(kTileFolderText));
  connect(tileFolderButton_, &QPushButton::clicked, this, &CSettingDlg::PickTileFolder);

  AddLabel(this, UiText(kNextStartText), kNextStartRect);
  LoadDisplayChoices();
  overlayChoices_ = new OverlayChoices(this);
  overlayChoices_->setGeometry(kOverlayGroup);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(kOkRect);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = new QPushButton(this);
  cancel->setGeometry(kCancelRect);
  SetFittedText(cancel, UiText(kCancelText));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(kSize.width() / 2, kSize.height() / 2));
  }
}

QCheckBox* CSettingDlg::kindBox(int index) const {
  if (index < 0 || index >= kKindCount) return nullptr;
  return kindBoxes_[index];
}

QString CSettingDlg::VersionText(const char* buildDate) {
  const QStringList words = QString::fromLatin1(buildDate != nullptr ? buildDate : "")
                                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
  const QString notice =
      words.isEmpty()
          ? QStringLiteral("Copyright (C) the Kestrel Viewer project")
          : QStringLiteral("Copyright (C) %1 the Kestrel Viewer project").arg(words.last());
  return QStringLiteral("version %1\n").arg(QString::fromLatin1(kViewerVersion)) + notice;
}

void CSettingDlg::LoadDisplayChoices() {
  loadedLanguageRow_ = LanguageRow(ReadLanguageChoice());
  loadedSpeedUnitRow_ = SpeedUnitRow(ReadSpeedUnit());
  languageList_->setCurrentIndex(loadedLanguageRow_);
  speedUnitList_->setCurrentIndex(loadedSpeedUnitRow_);
  // A zone the list does not hold shows as the system's and stays in the
  // file until the user picks another.
  loadedTimeZoneRow_ = std::max(timeZoneList_->findText(ReadTimeZone()), 0);
  timeZoneList_->setCurrentIndex(loadedTimeZoneRow_);
  loadedClockOffset_ = static_cast<int>(std::clamp<std::int64_t>(
      ReadTimeOffset(), clockOffsetBox_->minimum(), clockOffsetBox_->maximum()));
  clockOffsetBox_->setValue(loadedClockOffset_);
  loadedTileSource_ = ReadTileUrl();
  tileSourceBox_->setCurrentIndex(0);
  if (!loadedTileSource_.isEmpty()) tileSourceBox_->setEditText(loadedTileSource_);
}

QString CSettingDlg::TileSourceText() const {
  const QString text = tileSourceBox_->currentText().trimmed();
  return text == UiText(kStandardServerText) ? QString() : text;
}

void CSettingDlg::PickTileFile() {
  const QString file = QFileDialog::getOpenFileName(this, UiText(kTileFileText), QString(),
                                                    QStringLiteral("MBTiles (*.mbtiles)"));
  if (!file.isEmpty()) tileSourceBox_->setEditText(file);
}

void CSettingDlg::PickTileFolder() {
  const QString folder = QFileDialog::getExistingDirectory(this, UiText(kTileFolderText));
  if (!folder.isEmpty()) tileSourceBox_->setEditText(folder);
}

bool CSettingDlg::WriteChangedChoices() {
  const int languageRow = languageList_->currentIndex();
  if (languageRow != loadedLanguageRow_ &&
      !WriteLanguageChoice(kLanguageRows.at(static_cast<std::size_t>(languageRow)).first)) {
    return false;
  }
  const int unitRow = speedUnitList_->currentIndex();
  if (unitRow != loadedSpeedUnitRow_ &&
      !WriteSpeedUnit(kSpeedUnitRows.at(static_cast<std::size_t>(unitRow)))) {
    return false;
  }
  const bool zoneChanged = timeZoneList_->currentIndex() != loadedTimeZoneRow_;
  if (zoneChanged && !WriteTimeZone(timeZoneList_->currentText())) return false;
  const bool offsetChanged = clockOffsetBox_->value() != loadedClockOffset_;
  if (offsetChanged && !WriteTimeOffset(clockOffsetBox_->value())) return false;
  const bool tilesChanged = TileSourceText() != loadedTileSource_;
  if (tilesChanged && !WriteTileUrl(TileSourceText())) return false;
  if ((zoneChanged || offsetChanged) && messageTarget_ != nullptr) {
    PostAppMessage(messageTarget_, kMessageClockChanged, 0, 0);
  }
  if (tilesChanged && messageTarget_ != nullptr) {
    PostAppMessage(messageTarget_, kMessageTileSourceChanged, 0, 0);
  }
  return overlayChoices_->Save();
}

void CSettingDlg::showEvent(QShowEvent* event) {
  LoadDisplayChoices();
  overlayChoices_->Load();
  QDialog::showEvent(event);
}

void CSettingDlg::accept() {
  if (!WriteChangedChoices()) {
    // The window stays open with the user's choices.
    ShowErrorBox(this, UiText(kNotSavedText));
    return;
  }
  QDialog::accept();
}

void CSettingDlg::OnKindClicked(int index, bool ticked) {
  if (messageTarget_ == nullptr) return;
  PostAppMessage(messageTarget_, kMessageIconKind, index, ticked ? 1 : 0);
}
