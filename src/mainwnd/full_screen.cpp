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

void WindowModes::OnToggleFullScreen() {
  ToggleFullScreen(!dlg_.controlsDisabledByCommand() && dlg_.fileList()->entryCount() > 0 &&
                   dlg_.playback().openComplete());
}

void WindowModes::ToggleFullScreen(bool toggle) {
  if (!fullScreen_) {
    const bool ready = engine_->engineReady != 0;
    const std::int64_t position = ready ? ops_.GetPosition(engine_) : 0;
    const std::int64_t frames = ready ? ops_.GetFrameCount(engine_) : 0;
    if (position + kEndFrames >= frames) return;
  }
  if (toggle) {
    fullScreen_ = !fullScreen_;
    dlg_.videoSurface()->fullScreen = fullScreen_ ? 1 : 0;
    if (fullScreen_) {
      EnterFullScreen();
    } else {
      LeaveFullScreen(false);
    }
    return;
  }
  // Re-applied: without an open movie there is nothing to show full screen.
  if (fullScreen_ && !dlg_.playback().openComplete()) {
    fullScreen_ = false;
    dlg_.videoSurface()->fullScreen = 0;
    LeaveFullScreen(true);
  }
}

void WindowModes::EnterFullScreen() {
  const QRect screenArea = dlg_.screen() != nullptr ? dlg_.screen()->geometry() : dlg_.geometry();
  dlg_.setMinimumSize(0, 0);
  dlg_.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  dlg_.setWindowState(dlg_.windowState() | Qt::WindowFullScreen);
  dlg_.setGeometry(screenArea);
  PlaceFullScreenChildren();
  // The window may not have its new size yet: the picture takes the
  // screen's, and follows the window's when it comes.
  dlg_.videoSurface()->setGeometry(QRect(QPoint(0, 0), screenArea.size()));
  dlg_.playback().UpdateRateLabel();
  dlg_.raise();
  dlg_.activateWindow();
  ResetZoomView();
  ApplyZoomView(0);
  ops_.SetAspectMode(engine_, keepAspect_ ? 1 : 0);
  dlg_.update();
}

void WindowModes::PlaceFullScreenChildren() {
  for (QWidget* child : std::initializer_list<QWidget*>{
           dlg_.gSensorDlg(), dlg_.seekSlider(), dlg_.timeReadout(), dlg_.volumeSlider(),
           dlg_.infoDlg(), dlg_.filer(), dlg_.commandButton(kCmdClose),
           dlg_.commandButton(kCmdWindowSize), dlg_.commandButton(kCmdMinimise)}) {
    child->hide();
  }
  for (CSkinButton* button : dlg_.barButtons()) button->hide();
  dlg_.mapAndMarks().map()->ShowMap(false);
  dlg_.mapAndMarks().map()->mapWindow()->hide();
  compactInfoRect_ = QRect();
  dlg_.videoSurface()->setFrameStyle(QFrame::NoFrame);
  dlg_.videoSurface()->setGeometry(dlg_.rect());
  dlg_.videoSurface()->show();
  dlg_.videoSurface()->raise();
}

void WindowModes::LeaveFullScreen(bool movieClosed) {
  ops_.SetAspectMode(engine_, 0);
  dlg_.setWindowState(dlg_.windowState() & ~Qt::WindowFullScreen);
  dlg_.setUpdatesEnabled(false);
  PlaceWindowModeChildren();
  dlg_.move(savedPosition_);
  ResetZoomView();
  ApplyZoomView(0);
  if (!movieClosed) dlg_.SetPlayButtonLook(engine_->engineReady != 0 && engine_->playState == 2);
  dlg_.setUpdatesEnabled(true);
  dlg_.playback().UpdateRateLabel();
  dlg_.UpdateButtons();
  dlg_.update();
}
