// The main window's child windows and their places in the normal layout.
#include <QShortcut>

#include "app/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "controls/skin_progress_bar_ctrl.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/movie_static.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"
#include "views/setting_dlg.h"

namespace {

// The video area of window mode 0 and its default zoom centre.
const QRect kVideoArea(6, 24, 656, 373);
const QPoint kZoomCentre(328, 186);
constexpr int kSliderHeight = 10;
constexpr int kInfoGap = 10;
constexpr int kInfoHeight = 67;
// The G-sensor graph under the information panel, down to 117 pixels above
// the bottom.
constexpr int kGraphGap = 77;
constexpr int kGraphBottom = 117;
// The recording list beside the video, under the map's place.
constexpr int kMapHeight = 392;
constexpr int kBrowserMargin = 6;
// The browser ends above the control bar (35 pixels above the bottom).
constexpr int kButtonBottom = 35;
const QRect kRateLabelRect(420, 4, 220, 18);
constexpr int kVolumeMax = 65535;

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

  infoDlg_ = new CInfoDlg(this);
  frameViews_.push_back(infoDlg_);
  auto* eventList = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
  connect(eventList, &QShortcut::activated, this, &CKestrelDlg::OpenEventList);
  infoDlg_->setMessageTarget(this);
  CreateMetersWindow();

  gSensorDlg_ = new CGSensorDlg(this);
  frameViews_.push_back(gSensorDlg_);
  gSensorDlg_->setMessageTarget(this);

  seekSlider_ = new CSkinSliderCtrl(kSeekSliderId, this);
  LoadDefaultSliderImages(*seekSlider_, kSliderHeight);
  volumeSlider_ = new CSkinSliderCtrl(kVolumeSliderId, this);
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
  const QRect client = rect();
  video_->setGeometry(kVideoArea);
  seekSlider_->setGeometry(kVideoArea.left(), kVideoArea.bottom() + 1, kVideoArea.width(),
                           kSliderHeight);
  infoDlg_->setGeometry(kVideoArea.left(), kVideoArea.bottom() + 1 + kInfoGap, kVideoArea.width(),
                        kInfoHeight);
  infoDlg_->SetPanelLayout(0);
  const int videoBottom = kVideoArea.bottom() + 1;
  gSensorDlg_->setGeometry(kVideoArea.left(), videoBottom + kGraphGap, kVideoArea.width(),
                           client.height() - videoBottom - kGraphBottom);
  gSensorDlg_->show();
  const int browserLeft = kVideoArea.right() + 1 + kBrowserMargin;
  const int browserTop = kVideoArea.top() + kMapHeight + kBrowserMargin;
  filer_->setGeometry(browserLeft, browserTop, client.width() - browserLeft - kBrowserMargin,
                      client.height() - kButtonBottom - kBrowserMargin - browserTop);
  PlaceControlBar();
  volumeSlider_->setGeometry(client.width() - 120, client.height() - 30, 100, 20);
  volumeSlider_->show();
  rateLabel_->setGeometry(kRateLabelRect);
  ApplyZoomView(0);
  UpdateRateLabel();
}

void CKestrelDlg::ApplyZoomView(int repaint) {
  ops_.SetLayout(engine_.get(), kZoomCentre.x(), kZoomCentre.y(), 0, 0, 1.0f, repaint);
}

void CKestrelDlg::FillBrowserFromSavedSource() { filer_->RestoreSource(); }
