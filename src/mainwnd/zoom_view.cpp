// Zoom mode: a hold on the picture zooms in around the held point, 1 -> 2
// -> 3 and back to 1; the zoom view the engine lays the picture out with.
#include "browser/filer_container.h"
#include "controls/skin_button.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/movie_static.h"
#include "views/info_dlg.h"

void WindowModes::SetZoomMode(bool on) {
  zoomMode_ = on;
  dlg_.videoSurface()->setZoomMode(on ? 1 : 0);
  dlg_.commandButton(kCmdZoom)->SetLatched(on);
  dlg_.infoDlg()->update();
  dlg_.filer()->setVisible(windowMode_ != 2 && !fullScreen_);
  dlg_.filer()->update();
  if (!on) {
    ResetZoomView();
    ApplyZoomView(1);
  }
}

void WindowModes::ResetZoomView() { zoomView_ = DefaultZoomView(windowMode_); }

void WindowModes::ApplyZoomView(int repaint) {
  ops_.SetLayout(engine_, zoomView_.centreX, zoomView_.centreY, zoomView_.panX, zoomView_.panY,
                 zoomView_.zoom, repaint);
}

void WindowModes::ZoomStep(const QPoint& point) {
  if (!zoomMode_) return;
  // The surface reports the point on its widget; the picture is laid out
  // in its client area, inside the sunken edge.
  const QRect client = dlg_.videoSurface()->contentsRect();
  const LayoutRect& picture = engine_->videoRect;
  const std::optional<ZoomView> next = ZoomStepView(
      zoomView_, windowMode_, client.width(), point - client.topLeft(), picture.right, picture.top);
  if (!next) return;
  // A refused layout leaves the picture, and the view, as they were.
  if (ops_.SetLayout(engine_, next->centreX, next->centreY, next->panX, next->panY, next->zoom,
                     1)) {
    zoomView_ = *next;
  }
}
