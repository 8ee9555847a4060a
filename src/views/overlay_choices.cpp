#include "views/overlay_choices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

#include "base/ui_text.h"

namespace {

constexpr int kGroupText = 168;
// The blocks' captions in block order; "G" is written as it stands.
constexpr std::array<int, kOverlayBlockCount> kBlockTexts = {169, 170, -1, 171, 172};
constexpr int kSizeText = 173;
constexpr int kPlaceText = 174;
constexpr int kBottomText = 175;
constexpr int kTopText = 176;
constexpr int kOutputText = 177;
constexpr int kSourceSizeText = 178;
constexpr int kPresetText = 179;

// The lists' rows.
constexpr std::array<OverlayScale, 3> kScaleRows = {OverlayScale::kSmall, OverlayScale::kMedium,
                                                    OverlayScale::kLarge};
constexpr std::array<OverlayPlace, 2> kPlaceRows = {OverlayPlace::kBottom, OverlayPlace::kTop};
constexpr std::array<RenderSize, 2> kOutputRows = {RenderSize::kSource, RenderSize::k720p};

template <typename Value, std::size_t N>
int RowOf(const std::array<Value, N>& rows, Value value) {
  return static_cast<int>(std::find(rows.begin(), rows.end(), value) - rows.begin());
}

QComboBox* AddList(QGridLayout* grid, int row, int column, int text, const QStringList& items) {
  auto* label = new QLabel(UiText(text));
  auto* list = new QComboBox;
  list->addItems(items);
  list->setAccessibleName(UiText(text));
  label->setBuddy(list);
  grid->addWidget(label, row, column);
  grid->addWidget(list, row, column + 1);
  return list;
}

}  // namespace

OverlayChoices::OverlayChoices(QWidget* parent) : QGroupBox(UiText(kGroupText), parent) {
  auto* grid = new QGridLayout(this);
  auto* boxes = new QHBoxLayout;
  for (int block = 0; block < kOverlayBlockCount; ++block) {
    const int text = kBlockTexts.at(static_cast<std::size_t>(block));
    auto* box = new QCheckBox(text < 0 ? QStringLiteral("G") : UiText(text));
    box->setObjectName(QString::fromLatin1(kOverlayBlockNames.at(static_cast<std::size_t>(block))));
    boxes->addWidget(box);
    blockBoxes_.at(static_cast<std::size_t>(block)) = box;
  }
  grid->addLayout(boxes, 0, 0, 1, 4);
  sizeList_ = AddList(grid, 1, 0, kSizeText,
                      {QStringLiteral("S"), QStringLiteral("M"), QStringLiteral("L")});
  placeList_ = AddList(grid, 1, 2, kPlaceText, {UiText(kBottomText), UiText(kTopText)});
  outputList_ =
      AddList(grid, 2, 0, kOutputText, {UiText(kSourceSizeText), QStringLiteral("1280×720")});
  QStringList presets;
  for (const std::string_view preset : kRenderPresets)
    presets.append(QString::fromLatin1(preset.data(), static_cast<qsizetype>(preset.size())));
  presetList_ = AddList(grid, 2, 2, kPresetText, presets);
  Load();
}

void OverlayChoices::Load() {
  loaded_ = ReadOverlaySettings();
  for (std::size_t block = 0; block < blockBoxes_.size(); ++block)
    blockBoxes_[block]->setChecked(loaded_.blocks[block]);
  sizeList_->setCurrentIndex(RowOf(kScaleRows, loaded_.scale));
  placeList_->setCurrentIndex(RowOf(kPlaceRows, loaded_.place));
  outputList_->setCurrentIndex(RowOf(kOutputRows, loaded_.size));
  presetList_->setCurrentText(QString::fromStdString(loaded_.preset));
}

OverlaySettings OverlayChoices::Chosen() const {
  OverlaySettings chosen;
  for (std::size_t block = 0; block < blockBoxes_.size(); ++block)
    chosen.blocks[block] = blockBoxes_[block]->isChecked();
  chosen.scale = kScaleRows.at(static_cast<std::size_t>(sizeList_->currentIndex()));
  chosen.place = kPlaceRows.at(static_cast<std::size_t>(placeList_->currentIndex()));
  chosen.size = kOutputRows.at(static_cast<std::size_t>(outputList_->currentIndex()));
  chosen.preset = presetList_->currentText().toStdString();
  return chosen;
}

bool OverlayChoices::Save() {
  const OverlaySettings chosen = Chosen();
  if (!WriteOverlaySettings(chosen, loaded_)) return false;
  loaded_ = chosen;
  return true;
}
