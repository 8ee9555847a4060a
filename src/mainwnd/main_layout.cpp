// The main window's child windows, their places in the normal layout, the
// play button's looks and the enabling of the controls.
#include <QPainter>
#include <QShortcut>

#include "app/shared_fonts.h"
#include "app/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/movie_static.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"

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
// The control bar: 32 x 32 buttons, 47 pixels apart, 35 pixels above the bottom.
constexpr int kButtonSize = 32;
constexpr int kButtonLeft = 20;
constexpr int kButtonStep = 47;
constexpr int kButtonBottom = 35;
constexpr int kPlayButtonSlot = 2;
const QRect kRateLabelRect(420, 4, 220, 18);
constexpr int kVolumeMax = 65535;

// UI text slots of the play button's tooltips.
constexpr int kPauseText = 11;
constexpr int kPlayText = 12;

// The play button's picture: a triangle (play look) or two bars (pause look).
QIcon PlayButtonIcon(bool pauseLook) {
  QPixmap pixmap(kButtonSize, kButtonSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xF0, 0xF0, 0xF0));
  if (pauseLook) {
    p.drawRect(QRectF(9, 8, 5, 16));
    p.drawRect(QRectF(18, 8, 5, 16));
  } else {
    const QPointF triangle[] = {{10, 7}, {10, 25}, {25, 16}};
    p.drawPolygon(triangle, 3);
  }
  return QIcon(pixmap);
}

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

  playButton_ = new QToolButton(this);
  playButton_->setObjectName(QString::number(kPlayButtonId));
  playButton_->setIconSize(QSize(kButtonSize, kButtonSize));
  playButton_->setAutoRaise(true);
  playButton_->setEnabled(false);
  connect(playButton_, &QToolButton::clicked, this, &CKestrelDlg::OnPlayPause);
  SetPlayButtonLook(false);

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
  playButton_->setGeometry(kButtonLeft + kButtonStep * kPlayButtonSlot,
                           client.height() - kButtonBottom, kButtonSize, kButtonSize);
  volumeSlider_->setGeometry(client.width() - 120, client.height() - 30, 100, 20);
  volumeSlider_->show();
  rateLabel_->setGeometry(kRateLabelRect);
  ApplyZoomView(0);
  UpdateRateLabel();
}

void CKestrelDlg::ApplyZoomView(int repaint) {
  ops_.SetLayout(engine_.get(), kZoomCentre.x(), kZoomCentre.y(), 0, 0, 1.0f, repaint);
}

void CKestrelDlg::SetPlayButtonLook(bool pauseLook) {
  playButton_->setIcon(PlayButtonIcon(pauseLook));
  playButton_->setToolTip(UiText(pauseLook ? kPauseText : kPlayText));
  playButton_->setProperty("pauseLook", pauseLook);
}

void CKestrelDlg::UpdateButtons() {
  const int state = engine_->engineReady != 0 ? engine_->playState.load() : 0;
  const bool listed = fileList_->entryCount() > 0;
  playButton_->setEnabled(listed && (state == 2 || engine_->trackLoaded != 0));
  infoDlg_->setEnabled(true);
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

void CKestrelDlg::FillBrowserFromSavedSource() { filer_->RestoreSource(); }
