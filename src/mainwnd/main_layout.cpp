// The main window's child windows, made in the order they stack in.
#include <QLabel>

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
constexpr int kVolumeMax = 65535;

}  // namespace

void CKestrelDlg::CreateChildControls() {
  filer_ = new CFilerContainer(this);
  filer_->SetFileAcceptor(
      [this](const QString& file) { return ops_.IsRecorderFile(engine_.get(), file); });
  fileList_ = filer_->fileList();
  connect(fileList_, &CFileListCtrl::rowSelected, playback_.get(),
          &PlaybackCoordinator::OnListRowSelected);
  fileList_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(fileList_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& point) { commands().OnListMenu(point); });
  connect(filer_, &CFilerContainer::rowsRebuilt, this, &CKestrelDlg::OnBrowserRowsRebuilt);
  filer_->StartWatcher(this);

  video_ = new CMovieStatic(this);
  video_->setObjectName(QString::number(CMovieStatic::kControlId));
  video_->setOwner(this);
  video_->setAccessibleName(UiText(223));

  infoDlg_ = new CInfoDlg(this);
  playback().AddFrameView(infoDlg_);
  playback().AddFrameView(windowModes().CreateCompactInfoView());
  infoDlg_->setMessageTarget(this);
  meters().CreateMetersWindow();

  gSensorDlg_ = new CGSensorDlg(this);
  playback().AddFrameView(gSensorDlg_);
  gSensorDlg_->setMessageTarget(this);

  seekSlider_ = new CSkinSliderCtrl(kSeekSliderId, this);
  LoadDefaultSliderImages(*seekSlider_, kSliderHeight);
  seekSlider_->setAccessibleName(UiText(224));
  seekSlider_->SetTipForPosition([this](int position) { return playback().ClockTipAt(position); });
  timeReadout_ = new QLabel(this);
  timeReadout_->setFont(fontSmall());
  timeReadout_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  timeReadout_->setStyleSheet(QStringLiteral("color:#ffffff;"));
  volumeSlider_ = new CSkinSliderCtrl(kVolumeSliderId, this);
  volumeSlider_->setAccessibleName(UiText(225));
  volumeSlider_->SetRangeMax(kVolumeMax);
  LoadDefaultSliderImages(*volumeSlider_, 20);

  CreateControlBar();
  SetPlayButtonLook(false);
  progressBar_ = new CSkinProgressBarCtrl(this);
  progressBar_->SetRange(0, 100);
  progressBar_->hide();
  settingDlg_ = new CSettingDlg(this, this);

  mapAndMarks().CreateMap();

  rateLabel_ = new QLabel(this);
  rateLabel_->setFont(fontNormal());
  rateLabel_->setStyleSheet(QStringLiteral("color:#ffffff;"));
}
