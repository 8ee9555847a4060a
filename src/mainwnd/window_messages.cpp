// The main window's smaller messages: the refresh of a frame and of the
// slider's range, the end of an open finished elsewhere, and the media framework's graph notice.
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/movie_static.h"
#include "views/info_dlg.h"

namespace {

// The filter graph's events: the movie completed, full screen was lost.
constexpr std::intptr_t kGraphComplete = 1;
constexpr std::intptr_t kGraphFullScreenLost = 0x12;

}  // namespace

void CKestrelDlg::OnRefresh(std::intptr_t wParam, std::intptr_t lParam) {
  const int frameCount = static_cast<int>(ops_.GetFrameCount(engine_.get()));
  seekSlider_->SetRangeMin(0);
  if (lParam == -1) {
    seekSlider_->SetRangeMax(frameCount);
    return;
  }
  if (wParam == 1) {
    windowModes().ApplyZoomView(1);
    video_->update();
  }
  infoDlg_->SetFrameTime(ops_.GetFrameUnit(engine_.get()));
  seekSlider_->SetRangeMax(frameCount);
  const int frame = static_cast<int>(lParam);
  playback().SyncViewsToFrame(frame);
  if (playback().IndexValid() && !mapAndMarks().BuildEventMarks(playback().currentIndex())) return;
  mapAndMarks().MapUpkeep();
  playback().SyncViewsToFrame(frame);
}

void CKestrelDlg::OnOpenFinished(std::intptr_t wParam, std::intptr_t lParam) {
  if (lParam == 1) playback().FinishOpen();
  playback().EndWait();
  SetPlayButtonLook(wParam != 0);
}

void CKestrelDlg::OnGraphNotify(std::intptr_t wParam, std::intptr_t) {
  // The notice carries one event of the graph's queue.
  if (shutDown_ || engine_->engineReady == 0) return;
  if (wParam == kGraphComplete) {
    playback().AdvanceWithinFolder();
  } else if (wParam == kGraphFullScreenLost) {
    windowModes().ApplyWindowMode();
  }
}
