#pragma once

#include <QThreadPool>
#include <memory>

class CPlayer;
class PictureStepper;

// Tears closed players down on a thread of its own, one after the other:
// bringing a pipeline to its NULL state waits for its streaming threads and
// its audio device, which would hold up the window at every change of
// recording. A player handed over posts nothing more to its window.
class PlayerDisposer {
 public:
  PlayerDisposer();
  ~PlayerDisposer();
  PlayerDisposer(const PlayerDisposer&) = delete;
  PlayerDisposer& operator=(const PlayerDisposer&) = delete;

  // Silences `player` at once and closes and frees it later, with the
  // stepper that decodes beside it (first, as it uses the player), then
  // gives the freed memory back to the system.
  void Dispose(std::unique_ptr<CPlayer> player, std::unique_ptr<PictureStepper> stepper);
  // Waits until every player handed over is gone (at shutdown).
  void WaitUntilDone();

 private:
  QThreadPool pool_;
};
