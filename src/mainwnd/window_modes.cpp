// The window modes: the children placed for mode 0, 1 or 2, the size button
// that cycles the modes, the saved position, the compact information strip
// of mode 2, and the zoom and aspect commands.
#include <QLabel>
#include <QScreen>
#include <functional>

#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/filer_container.h"
#include "controls/skin_button.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"
#include "player/movie_static.h"
#include "views/frame_view.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"

namespace {

// Wide enough for the rate and the clip's marks in other recordings.
const QRect kRateLabelRect(420, 4, 360, 18);

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

WindowModes::WindowModes(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine)
    : dlg_(dlg), ops_(ops), engine_(engine) {}

WindowModes::~WindowModes() = default;

void WindowModes::LoadKeepAspect() { keepAspect_ = ReadKeepAspect(); }

FrameView* WindowModes::CreateCompactInfoView() {
  compactInfoView_ = std::make_unique<CompactInfoRepaint>([this] {
    if (!compactInfoRect_.isEmpty()) dlg_.update(compactInfoRect_);
  });
  return compactInfoView_.get();
}

void WindowModes::ApplyWindowMode() {
  // Without an open movie there is nothing to show full screen.
  if (fullScreen_ && !dlg_.playback().openComplete()) {
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
  dlg_.playback().UpdateRateLabel();
  dlg_.update();
}

void WindowModes::PlaceWindowModeChildren() {
  const WindowLayout layout = WindowLayoutFor(windowMode_);
  dlg_.setFixedSize(CKestrelDlg::kWidth, CKestrelDlg::kHeight);
  // The picture has its sunken edge outside full screen.
  dlg_.videoSurface()->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  Place(dlg_.videoSurface(), layout.video);
  Place(dlg_.seekSlider(), layout.seekSlider);
  Place(dlg_.timeReadout(), layout.timeReadout);
  dlg_.timeReadout()->raise();
  dlg_.infoDlg()->SetPanelLayout(layout.infoLayout);
  Place(dlg_.infoDlg(), layout.infoPanel);
  compactInfoRect_ = layout.compactInfo;
  Place(dlg_.gSensorDlg(), layout.graph);
  // In mode 0 the map area's drawing shows the map when it can.
  if (layout.map.shown) {
    dlg_.mapAndMarks().map()->mapWindow()->setGeometry(layout.map.rect);
  } else {
    dlg_.mapAndMarks().map()->ShowMap(false);
    dlg_.mapAndMarks().map()->mapWindow()->hide();
  }
  dlg_.filer()->SetLayoutMode(layout.browserLayout);
  Place(dlg_.filer(), layout.browser);
  for (int i = 0; i < kBarButtonCount; ++i) Place(dlg_.barButtons()[i], layout.barButtons[i]);
  Place(dlg_.commandButton(kCmdClose), layout.titleButtons[kTitleClose]);
  Place(dlg_.commandButton(kCmdWindowSize), layout.titleButtons[kTitleSize]);
  Place(dlg_.commandButton(kCmdMinimise), layout.titleButtons[kTitleMinimise]);
  CSkinButton* size = dlg_.commandButton(kCmdWindowSize);
  size->setToolTip(UiText(WindowSizeTooltip(windowMode_)));
  size->setAccessibleName(size->toolTip());
  Place(dlg_.volumeSlider(), layout.volumeSlider);
  dlg_.rateLabel()->setGeometry(kRateLabelRect);
  dlg_.rateLabel()->show();
  dlg_.rateLabel()->raise();
}

void WindowModes::OnWindowSize() {
  if (fullScreen_) return;
  windowMode_ = NextWindowMode(windowMode_);
  dlg_.setUpdatesEnabled(false);
  PlaceWindowModeChildren();
  dlg_.setUpdatesEnabled(true);
  ResetZoomView();
  ApplyZoomView(0);
  dlg_.playback().UpdateRateLabel();
  dlg_.UpdateButtons();
  if (const QScreen* shown = dlg_.screen()) {
    dlg_.move(KeepInsideArea(QRect(dlg_.pos(), dlg_.size()), shown->availableGeometry()));
  }
  dlg_.update();
}

void WindowModes::OnMoved() {
  if (!fullScreen_) savedPosition_ = dlg_.pos();
}

void WindowModes::OnResized() {
  // A window manager may give the full-screen size later than asked.
  if (fullScreen_) {
    dlg_.videoSurface()->setGeometry(dlg_.rect());
    ApplyZoomView(0);
  }
}

void WindowModes::OnZoomMode() {
  if (!dlg_.playback().NeedsOpenMovie()) return;
  SetZoomMode(!zoomMode_);
}

void WindowModes::OnFullScreenAspect() {
  if (!dlg_.playback().openComplete()) return;
  if (engine_->engineReady == 0 || engine_->aspectMode == 0) {
    keepAspect_ = true;
    ops_.SetAspectMode(engine_, 1);
    ApplyZoomView(0);
    WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("ASPECT"), QStringLiteral("on"));
  } else if (engine_->aspectMode == 1) {
    keepAspect_ = false;
    ops_.SetAspectMode(engine_, 0);
    WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("ASPECT"), QStringLiteral("off"));
  }
  dlg_.playback().UpdateRateLabel();
}
