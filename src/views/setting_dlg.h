#pragma once

#include <QDialog>
#include <QPointer>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class OverlayChoices;

// The small modeless settings window: four check boxes that switch the kinds
// of event icons of the acceleration graph and the map, the version text,
// the display choices: the language and the speed unit, and the recorder's
// clock (its time zone and offset) and the map's tile source. Each toggle
// posts kMessageIconKind to the message target with wParam = the box's index
// and lParam = its new state (1 ticked, 0 not); the states last while the
// program runs. The display choices and the choices of clips rendered as
// MP4s (OverlayChoices) show what the settings file holds each time the
// window opens; OK writes the ones the user changed to the file and hides
// the window; キャンセル only hides it. The language is taken at the next
// start; a changed clock posts kMessageClockChanged and a changed tile
// source kMessageTileSourceChanged to the message target, which takes them
// at once.
class CSettingDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kMessageIconKind = 0x81F5;
  static constexpr int kMessageClockChanged = 0x81F6;
  static constexpr int kMessageTileSourceChanged = 0x81F7;
  static constexpr int kFirstKindCommand = 32968;
  static constexpr int kVersionTextId = 32981;
  static constexpr int kKindCount = 4;

  explicit CSettingDlg(QObject* messageTarget, QWidget* parent = nullptr);

  QCheckBox* kindBox(int index) const;
  QLabel* versionText() const { return versionText_; }
  QComboBox* languageList() const { return languageList_; }
  QComboBox* speedUnitList() const { return speedUnitList_; }
  // The recorder's time zone: the system's zone first, then every IANA zone.
  QComboBox* timeZoneList() const { return timeZoneList_; }
  QSpinBox* clockOffsetBox() const { return clockOffsetBox_; }
  // The tile source: its first row is the standard server; another address
  // is typed in, a local MBTiles file or tile folder is picked with the
  // buttons.
  QComboBox* tileSourceBox() const { return tileSourceBox_; }
  QPushButton* tileFileButton() const { return tileFileButton_; }
  QPushButton* tileFolderButton() const { return tileFolderButton_; }
  OverlayChoices* overlayChoices() const { return overlayChoices_; }

  void accept() override;

  // "version 2.0.0.0\n" and the notice line with `buildDate`'s year ("Aug
  // 18 2022" -> 2022).
  static QString VersionText(const char* buildDate = __DATE__);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnKindClicked(int index, bool ticked);
  // Shows the settings file's choices in the lists.
  void LoadDisplayChoices();
  // Writes the choices that differ from the loaded ones; false when one
  // could not be written.
  bool WriteChangedChoices();
  // The tile source as the box holds it: "" for the standard server.
  QString TileSourceText() const;
  void PickTileFile();
  void PickTileFolder();

  QPointer<QObject> messageTarget_;
  std::array<QCheckBox*, kKindCount> kindBoxes_{};
  QLabel* versionText_ = nullptr;
  QComboBox* languageList_ = nullptr;
  QComboBox* speedUnitList_ = nullptr;
  QComboBox* timeZoneList_ = nullptr;
  QSpinBox* clockOffsetBox_ = nullptr;
  QComboBox* tileSourceBox_ = nullptr;
  QPushButton* tileFileButton_ = nullptr;
  QPushButton* tileFolderButton_ = nullptr;
  OverlayChoices* overlayChoices_ = nullptr;
  // The lists' rows as loaded: only a changed choice is written, so that a
  // value the viewer does not know stays in the file.
  int loadedLanguageRow_ = -1;
  int loadedSpeedUnitRow_ = -1;
  int loadedTimeZoneRow_ = -1;
  int loadedClockOffset_ = 0;
  QString loadedTileSource_;
};
