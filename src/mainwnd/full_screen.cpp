// Full screen: the picture alone on the whole screen, asked for by a
// double-click on the picture (and the f and Esc keys), with the aspect
// setting that full screen uses; leaving it restores the window mode.
#include <QScreen>

#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"
#include "player/movie_static.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"

namespace {

// Full screen is not entered this close to the end of the movie.
constexpr int kEndFrames = 10;

}  // namespace

void CKestrelDlg::OnToggleFullScreen() {
  ToggleFullScreen(!controlsDisabledByCommand_ && fileList_->entryCount() > 0 && openComplete_);
}

void CKestrelDlg::ToggleFullScreen(bool toggle) {
  if (!fullScreen_) {
    const bool ready = engine_->engineReady != 0;
    const std::int64_t position = ready ? ops_.GetPosition(engine_.get()) : 0;
    const std::int64_t frames = ready ? ops_.GetFrameCount(engine_.get()) : 0;
    if (position + kEndFrames >= frames) return;
  }
  if (toggle) {
    fullScreen_ = !fullScreen_;
    video_->fullScreen = fullScreen_ ? 1 : 0;
    if (fullScreen_) {
      EnterFullScreen();
    } else {
      LeaveFullScreen(false);
    }
    return;
  }
  // Re-applied: without an open movie there is nothing to show full screen.
  if (fullScreen_ && !openComplete_) {
    fullScreen_ = false;
    video_->fullScreen = 0;
    LeaveFullScreen(true);
  }
}

void CKestrelDlg::EnterFullScreen() {
  const QRect screenArea = screen() != nullptr ? screen()->geometry() : geometry();
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setWindowState(windowState() | Qt::WindowFullScreen);
  setGeometry(screenArea);
  PlaceFullScreenChildren();
  // The window may not have its new size yet: the picture takes the
  // screen's, and follows the window's when it comes.
  video_->setGeometry(QRect(QPoint(0, 0), screenArea.size()));
  UpdateRateLabel();
  raise();
  activateWindow();
  ResetZoomView();
  ApplyZoomView(0);
  ops_.SetAspectMode(engine_.get(), keepAspect_ ? 1 : 0);
  update();
}

void CKestrelDlg::PlaceFullScreenChildren() {
  for (QWidget* child : std::initializer_list<QWidget*>{
           gSensorDlg_, seekSlider_, volumeSlider_, infoDlg_, filer_, commandButton(kCmdClose),
           commandButton(kCmdWindowSize), commandButton(kCmdMinimise)}) {
    child->hide();
  }
  for (CSkinButton* button : barButtons_) button->hide();
  map_->ShowMap(false);
  map_->mapWindow()->hide();
  compactInfoRect_ = QRect();
  video_->setFrameStyle(QFrame::NoFrame);
  video_->setGeometry(rect());
  video_->show();
  video_->raise();
}

void CKestrelDlg::LeaveFullScreen(bool movieClosed) {
  ops_.SetAspectMode(engine_.get(), 0);
  setWindowState(windowState() & ~Qt::WindowFullScreen);
  setUpdatesEnabled(false);
  PlaceWindowModeChildren();
  move(savedPosition_);
  ResetZoomView();
  ApplyZoomView(0);
  if (!movieClosed) SetPlayButtonLook(engine_->engineReady != 0 && engine_->playState == 2);
  setUpdatesEnabled(true);
  UpdateRateLabel();
  UpdateButtons();
  update();
}
