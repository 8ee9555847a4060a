// The main window's child windows and their places in the three window
// modes, the size button that cycles the modes, and the saved position.
#include <QScreen>

#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "controls/skin_button.h"
#include "controls/skin_progress_bar_ctrl.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"
#include "player/movie_static.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"
#include "views/setting_dlg.h"

namespace {

constexpr int kSliderHeight = 10;
const QRect kRateLabelRect(420, 4, 220, 18);
constexpr int kVolumeMax = 65535;

// Places a child as `place` says: moved where the place has a rectangle,
// shown or hidden.
void Place(QWidget* child, const PanelPlace& place) {
  if (!place.rect.isEmpty()) child->setGeometry(place.rect);
  child->setVisible(place.shown);
}

// Repaints the window's compact information strip with every frame.
class CompactInfoRepaint : public FrameView {
 public:
  explicit CompactInfoRepaint(std::function<void()> repaint) : repaint_(std::move(repaint)) {}
  void ShowFrame(const FrameValues&) override { repaint_(); }

 private:
  std::function<void()> repaint_;
};

}  // namespace

void CKestrelDlg::CreateChildControls() {
  filer_ = new CFilerContainer(this);
  filer_->SetFileAcceptor(
      [this](const QString& file) { return ops_.IsRecorderFile(engine_.get(), file); });
  fileList_ = filer_->fileList();
  connect(fileList_, &CFileListCtrl::rowSelected, this, &CKestrelDlg::OnListRowSelected);
  connect(filer_, &CFilerContainer::rowsRebuilt, this, &CKestrelDlg::OnBrowserRowsRebuilt);
  filer_->StartWatcher(this);

  video_ = new CMovieStatic(this);
  video_->setObjectName(QString::number(CMovieStatic::kControlId));
  video_->setOwner(this);
  video_->setAccessibleName(QStringLiteral("映像"));

  infoDlg_ = new CInfoDlg(this);
  frameViews_.push_back(infoDlg_);
  compactInfoView_ = std::make_unique<CompactInfoRepaint>([this] {
    if (!compactInfoRect_.isEmpty()) update(compactInfoRect_);
  });
  frameViews_.push_back(compactInfoView_.get());
  infoDlg_->setMessageTarget(this);
  CreateMetersWindow();

  gSensorDlg_ = new CGSensorDlg(this);
  frameViews_.push_back(gSensorDlg_);
  gSensorDlg_->setMessageTarget(this);

  seekSlider_ = new CSkinSliderCtrl(kSeekSliderId, this);
  LoadDefaultSliderImages(*seekSlider_, kSliderHeight);
  seekSlider_->setAccessibleName(QStringLiteral("再生位置"));
  volumeSlider_ = new CSkinSliderCtrl(kVolumeSliderId, this);
  volumeSlider_->setAccessibleName(QStringLiteral("音量"));
  volumeSlider_->SetRangeMax(kVolumeMax);
  LoadDefaultSliderImages(*volumeSlider_, 20);

  CreateControlBar();
  SetPlayButtonLook(false);
  progressBar_ = new CSkinProgressBarCtrl(this);
  progressBar_->SetRange(0, 100);
  progressBar_->hide();
  settingDlg_ = new CSettingDlg(this, this);

  CreateMap();

  rateLabel_ = new QLabel(this);
  rateLabel_->setFont(fontNormal());
  rateLabel_->setStyleSheet(QStringLiteral("color:#ffffff;"));
}

void CKestrelDlg::ApplyWindowMode() {
  // Without an open movie there is nothing to show full screen.
  if (fullScreen_ && !openComplete_) {
    ToggleFullScreen(false);
    return;
  }
  if (fullScreen_) {
    PlaceFullScreenChildren();
  } else {
    PlaceWindowModeChildren();
  }
  ResetZoomView();
  ApplyZoomView(0);
  UpdateRateLabel();
  update();
}

void CKestrelDlg::PlaceWindowModeChildren() {
  const WindowLayout layout = WindowLayoutFor(windowMode_);
  setFixedSize(kWidth, kHeight);
  // The picture has its sunken edge outside full screen.
  video_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  Place(video_, layout.video);
  Place(seekSlider_, layout.seekSlider);
  infoDlg_->SetPanelLayout(layout.infoLayout);
  Place(infoDlg_, layout.infoPanel);
  compactInfoRect_ = layout.compactInfo;
  Place(gSensorDlg_, layout.graph);
  // In mode 0 the map area's drawing shows the map when it can.
  if (layout.map.shown) {
    map_->mapWindow()->setGeometry(layout.map.rect);
  } else {
    map_->ShowMap(false);
    map_->mapWindow()->hide();
  }
  filer_->SetLayoutMode(layout.browserLayout);
  Place(filer_, layout.browser);
  for (int i = 0; i < kBarButtonCount; ++i) Place(barButtons_[i], layout.barButtons[i]);
  Place(commandButton(kCmdClose), layout.titleButtons[kTitleClose]);
  Place(commandButton(kCmdWindowSize), layout.titleButtons[kTitleSize]);
  Place(commandButton(kCmdMinimise), layout.titleButtons[kTitleMinimise]);
  CSkinButton* size = commandButton(kCmdWindowSize);
  size->setToolTip(UiText(WindowSizeTooltip(windowMode_)));
  size->setAccessibleName(size->toolTip());
  Place(volumeSlider_, layout.volumeSlider);
  rateLabel_->setGeometry(kRateLabelRect);
  rateLabel_->show();
  rateLabel_->raise();
}

void CKestrelDlg::OnWindowSize() {
  if (fullScreen_) return;
  windowMode_ = NextWindowMode(windowMode_);
  setUpdatesEnabled(false);
  PlaceWindowModeChildren();
  setUpdatesEnabled(true);
  ResetZoomView();
  ApplyZoomView(0);
  UpdateRateLabel();
  UpdateButtons();
  if (const QScreen* shown = screen()) {
    move(KeepInsideArea(QRect(pos(), size()), shown->availableGeometry()));
  }
  update();
}

void CKestrelDlg::moveEvent(QMoveEvent* event) {
  if (!fullScreen_) savedPosition_ = pos();
  QDialog::moveEvent(event);
}

void CKestrelDlg::resizeEvent(QResizeEvent* event) {
  // A window manager may give the full-screen size later than asked.
  if (fullScreen_) {
    video_->setGeometry(rect());
    ApplyZoomView(0);
  }
  QDialog::resizeEvent(event);
}

void CKestrelDlg::FillBrowserFromSavedSource() { filer_->RestoreSource(); }
