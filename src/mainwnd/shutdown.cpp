// The main window's shutdown: whatever plays stops and closes, the engine
// goes down, the command worker is waited for, and no message is handled
// after it. Closing the window, the close command and a lost medium that the
// program runs from all end here.
#include "browser/filer_container.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/movie_static.h"

void CKestrelDlg::done(int result) {
  Shutdown();
  QDialog::done(result);
}

void CKestrelDlg::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // Nothing may report a lost source while the window goes, and what the
  // engine's pipeline still sends through the video surface finds no one.
  filer_->StopWatcher();
  video_->setOwner(nullptr);
  // The worker reads the lists emptied below: it stops at its next item and
  // is waited for first.
  commands().FinishCommandWorker();

  playback().EndContinuousPlay();
  playback().StopAndClose();
  SetPlayButtonLook(false);
  UpdateButtons();
  filer_->ClearLists();

  playback().StopTick();
  engine_->engineReady = 0;
  ops_.EngineShutdown(engine_.get());

  // A worker still inside the two locks is waited for.
  { std::lock_guard cache(playback().cacheMutex()); }
  { std::lock_guard cpSet(mapAndMarks().cpSetMutex()); }
}
