#pragma once

#include <QDialog>
#include <QPointer>
#include <array>

class QCheckBox;
class QLabel;

// The small modeless settings window: four check boxes that switch the kinds
// of event icons of the acceleration graph and the map, and the version
// text. Each toggle posts kMessageIconKind to the message target with wParam
// = the box's index and lParam = its new state (1 ticked, 0 not). OK and
// キャンセル only hide the window; the states last while the program runs.
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

  // "version 2.0.0.0\n" and the notice line with `buildDate`'s year ("Aug
  // 18 2022" -> 2022).
  static QString VersionText(const char* buildDate = __DATE__);

 private:
  void OnKindClicked(int index, bool ticked);

  QPointer<QObject> messageTarget_;
  std::array<QCheckBox*, kKindCount> kindBoxes_{};
  QLabel* versionText_ = nullptr;
};
