// The control bar's thirteen buttons and the three title buttons: their
// artwork, tooltips and places, the play button's looks, and which of them
// are enabled.
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "controls/button_art.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/button_rules.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/movie_static.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"

namespace {

struct BarButton {
  ButtonArt art;
  int tooltip;  // UI text slot
};

// In bar order, 38000 to 38012.
constexpr BarButton kBarButtons[kBarButtonCount] = {
    {ButtonArt::kToStart, 20},  {ButtonArt::kPrevious, 13}, {ButtonArt::kPlay, 12},
    {ButtonArt::kSlower, 17},   {ButtonArt::kFaster, 4},    {ButtonArt::kNext, 9},
    {ButtonArt::kSnapshot, 19}, {ButtonArt::kJoin, 1},      {ButtonArt::kZoom, 21},
    {ButtonArt::kSource, 10},   {ButtonArt::kDelete, 3},    {ButtonArt::kSettings, 16},
    {ButtonArt::kCsv, 2},
};

struct TitleButton {
  int command;
  ButtonArt art;
  int tooltip;
};

// Close, minimise and the window size, at the top.
constexpr TitleButton kTitleButtons[3] = {
    {kCmdClose, ButtonArt::kClose, 0},
    {kCmdMinimise, ButtonArt::kMinimise, 137},
    {kCmdWindowSize, ButtonArt::kSize, 8},
};

constexpr int kPauseText = 11;
constexpr int kPlayText = 12;

ListedSource ListedSourceOf(SourceKind kind) {
  switch (kind) {
    case SourceKind::kCard:
      return ListedSource::kCard;
    case SourceKind::kFolder:
      return ListedSource::kFolder;
    case SourceKind::kFile:
      return ListedSource::kFile;
    case SourceKind::kNone:
      break;
  }
  return ListedSource::kNone;
}

}  // namespace

void CKestrelDlg::CreateControlBar() {
  const QSize barFrame = ButtonArtSize(ButtonArt::kPlay);
  for (int i = 0; i < kBarButtonCount; ++i) {
    auto* button = new CSkinButton(this);
    const int command = kFirstBarCommand + i;
    button->Create(ButtonStrip(kBarButtons[i].art, barFrame), QRect(QPoint(0, 0), barFrame),
                   command);
    button->setToolTip(UiText(kBarButtons[i].tooltip));
    button->setEnabled(false);
    connect(button, &CSkinButton::clicked, this, [this, command] { OnCommand(command); });
    barButtons_[i] = button;
  }
  playButton_ = barButtons_[kCmdPlayPause - kFirstBarCommand];
  for (int i = 0; i < 3; ++i) {
    const TitleButton& t = kTitleButtons[i];
    auto* button = new CSkinButton(this);
    const QSize frame = ButtonArtSize(t.art);
    button->Create(ButtonStrip(t.art, frame), QRect(QPoint(0, 0), frame), t.command);
    button->setToolTip(UiText(t.tooltip));
    const int command = t.command;
    connect(button, &CSkinButton::clicked, this, [this, command] { OnCommand(command); });
    titleButtons_[i] = button;
  }
}

CSkinButton* CKestrelDlg::commandButton(int command) const {
  if (command >= kFirstBarCommand && command < kFirstBarCommand + kBarButtonCount) {
    return barButtons_[command - kFirstBarCommand];
  }
  for (int i = 0; i < 3; ++i) {
    if (kTitleButtons[i].command == command) return titleButtons_[i];
  }
  return nullptr;
}

void CKestrelDlg::SetPlayButtonLook(bool pauseLook) {
  playButton_->ReplaceBitmap(
      ButtonStrip(pauseLook ? ButtonArt::kPause : ButtonArt::kPlay, playButton_->size()));
  playButton_->setToolTip(UiText(pauseLook ? kPauseText : kPlayText));
  playButton_->setProperty("pauseLook", pauseLook);
}

void CKestrelDlg::SetListedSourceCsv() {
  csvExportAvailable_ =
      CsvAvailableFor(ListedSourceOf(filer_->sourceKind()), fileList_->entryCount());
}

ButtonStates CKestrelDlg::CurrentButtonStates() const {
  ButtonInputs in;
  in.recordings = fileList_->entryCount();
  in.currentIndex = playback().currentIndex();
  in.engineReady = engine_->engineReady != 0;
  in.playState = engine_->playState;
  in.trackLoaded = engine_->trackLoaded != 0;
  in.rateCode = engine_->rateCode;
  in.windowMode = windowModes().windowMode();
  in.fullScreen = windowModes().fullScreen();
  in.source = ListedSourceOf(filer_->sourceKind());
  in.csvAvailable = csvExportAvailable_;
  return BarButtonStates(in);
}

void CKestrelDlg::UpdateButtons() {
  // The bar is hidden in full screen; mode 2 hides only the browser.
  if (windowModes().fullScreen()) return;
  for (CSkinButton* button : titleButtons_) button->setEnabled(true);
  const ButtonStates states = CurrentButtonStates();
  for (int i = 0; i < kBarButtonCount; ++i) {
    barButtons_[i]->setEnabled(states[i].enabled);
    barButtons_[i]->SetHiddenFlag(!states[i].shown);
  }
  infoDlg_->setEnabled(true);
  // The graph acts on clicks (previous and next event): the open disabled it.
  gSensorDlg_->setEnabled(true);
  filer_->setEnabled(true);
  fileList_->setEnabled(true);
  seekSlider_->SetEnabledFlag(true);
  volumeSlider_->SetEnabledFlag(true);
}

void CKestrelDlg::EnableControls(bool enable) {
  infoDlg_->setEnabled(enable);
  gSensorDlg_->setEnabled(enable);
  seekSlider_->SetEnabledFlag(enable);
  volumeSlider_->SetEnabledFlag(enable);
  playButton_->setEnabled(enable && engine_->trackLoaded != 0);
}

void CKestrelDlg::EnablePlaybackControls(bool enable) {
  seekSlider_->SetEnabledFlag(enable);
  playButton_->setEnabled(enable);
}

void CKestrelDlg::EnableAllControls(bool enable) {
  controlsDisabledByCommand_ = !enable;
  for (CSkinButton* button : barButtons_) button->setEnabled(enable);
  for (CSkinButton* button : titleButtons_) button->setEnabled(enable);
  filer_->setEnabled(enable);
  infoDlg_->setEnabled(enable);
  gSensorDlg_->setEnabled(enable);
  seekSlider_->SetEnabledFlag(enable);
  volumeSlider_->SetEnabledFlag(enable);
  video_->setEnabled(enable);
}
