#pragma once

#include <QDialog>
#include <QPointer>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class OverlayChoices;

// The small modeless settings window: four check boxes that switch the kinds
// of event icons of the acceleration graph and the map, the version text,
// and the display choices: the language and the speed unit. Each toggle
// posts kMessageIconKind to the message target with wParam = the box's index
// and lParam = its new state (1 ticked, 0 not); the states last while the
// program runs. The display choices and the choices of clips rendered as
// MP4s (OverlayChoices) show what the settings file holds each
// time the window opens; OK writes the ones the user changed to the file,
// for the next start, and hides the window; キャンセル only hides it.
class CSettingDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kMessageIconKind = 0x81F5;
  static constexpr int kFirstKindCommand = 32968;
  static constexpr int kVersionTextId = 32981;
  static constexpr int kKindCount = 4;

  explicit CSettingDlg(QObject* messageTarget, QWidget* parent = nullptr);

  QCheckBox* kindBox(int index) const;
  QLabel* versionText() const { return versionText_; }
  QComboBox* languageList() const { return languageList_; }
  QComboBox* speedUnitList() const { return speedUnitList_; }
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

  QPointer<QObject> messageTarget_;
  std::array<QCheckBox*, kKindCount> kindBoxes_{};
  QLabel* versionText_ = nullptr;
  QComboBox* languageList_ = nullptr;
  QComboBox* speedUnitList_ = nullptr;
  OverlayChoices* overlayChoices_ = nullptr;
  // The lists' rows as loaded: only a changed choice is written, so that a
  // value the viewer does not know stays in the file.
  int loadedLanguageRow_ = -1;
  int loadedSpeedUnitRow_ = -1;
};
