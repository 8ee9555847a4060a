#include "player/player_disposer.h"

#include "player/freed_memory.h"
#include "player/player.h"

PlayerDisposer::PlayerDisposer() { pool_.setMaxThreadCount(1); }

PlayerDisposer::~PlayerDisposer() { WaitUntilDone(); }

void PlayerDisposer::Dispose(std::unique_ptr<CPlayer> player) {
  if (player == nullptr) return;
  player->Silence();
  player->presenter().SetFrameCallback({});
  // The pool's tasks must be copyable; the task alone owns the player.
  CPlayer* closing = player.release();
  pool_.start([closing] {
    delete closing;
    ReturnFreedMemory();
  });
}

void PlayerDisposer::WaitUntilDone() { pool_.waitForDone(); }
