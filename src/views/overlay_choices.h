#pragma once

#include <QGroupBox>
#include <array>

#include "render/overlay_settings.h"

class QCheckBox;
class QComboBox;

// The settings window's group for clips rendered as MP4s: a box for each
// overlay block, the blocks' size and place, the output size and the
// encoder's speed. Load shows what the settings file's "OVERLAY" section
// holds; Save writes the choices the user changed since.
class OverlayChoices : public QGroupBox {
 public:
  explicit OverlayChoices(QWidget* parent);

  void Load();
  // False when the settings file cannot be written.
  bool Save();

  QCheckBox* blockBox(OverlayBlock block) const { return blockBoxes_.at(block); }
  QComboBox* sizeList() const { return sizeList_; }
  QComboBox* placeList() const { return placeList_; }
  QComboBox* outputList() const { return outputList_; }
  QComboBox* presetList() const { return presetList_; }

 private:
  OverlaySettings Chosen() const;

  std::array<QCheckBox*, kOverlayBlockCount> blockBoxes_{};
  QComboBox* sizeList_ = nullptr;
  QComboBox* placeList_ = nullptr;
  QComboBox* outputList_ = nullptr;
  QComboBox* presetList_ = nullptr;
  OverlaySettings loaded_;
};
