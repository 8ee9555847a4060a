// Stepping picture by picture, in both directions.
#include "player/player_engine.h"

namespace engine {

bool StepPicture(PlayerEngineState* s, int direction) {
  if (s->engineReady == 0 || (direction != 1 && direction != -1)) return false;
  EngineLock lock(s->fileMutex);
  if (s->player == nullptr || !s->player->HasDisplayControl() || s->playState == 0) return false;
  if (s->playState == 2) Pause(s);
  s->player->WaitForSeek();
  if (s->stepper == nullptr) return false;
  if (!s->stepper->Step(direction)) return false;
  // A stopped movie is paused at the stepped picture.
  s->playState = 3;
  return true;
}

}  // namespace engine
