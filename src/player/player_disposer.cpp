#include "player/player_disposer.h"

#include "player/freed_memory.h"
#include "player/picture_stepper.h"
#include "player/player.h"

PlayerDisposer::PlayerDisposer() { pool_.setMaxThreadCount(1); }

PlayerDisposer::~PlayerDisposer() { WaitUntilDone(); }

void PlayerDisposer::Dispose(std::unique_ptr<CPlayer> player,
                             std::unique_ptr<PictureStepper> stepper) {
  if (player == nullptr) return;
  player->Silence();
  player->presenter().SetFrameCallback({});
  // The pool's tasks must be copyable; the task alone owns what it frees.
  CPlayer* closing = player.release();
  PictureStepper* closingStepper = stepper.release();
  pool_.start([closing, closingStepper] {
    delete closingStepper;
    delete closing;
    ReturnFreedMemory();
  });
}

void PlayerDisposer::WaitUntilDone() { pool_.waitForDone(); }
