// Playing backwards: the direction beside the rate.
#include "player/engine_reverse.h"

#include "player/movie_static.h"
#include "player/player_engine.h"
#include "player/rate_codes.h"

namespace engine {
namespace {

// Where the picture on screen starts: the stepped picture, where a seek in
// progress goes, else the pipeline's clock.
std::optional<std::int64_t> ShownNs(const PlayerEngineState* s) {
  if (const std::optional<std::int64_t> stepped = s->player->SteppedTime()) return stepped;
  if (const std::optional<std::int64_t> target = s->player->SeekTarget()) return target;
  std::int64_t time = 0;
  if (!s->player->ClockTime(time) || time < 0) return std::nullopt;
  return time * 100;
}

}  // namespace

double SpeedOfRate(const PlayerEngineState* s) {
  return ChooseRate(s->rateCode, s->rateCode, false).speed;
}

void PrefetchBeforeShown(PlayerEngineState* s, std::chrono::milliseconds delay) {
  if (s->stepper == nullptr || s->reverse != nullptr) return;
  if (const std::optional<std::int64_t> shown = ShownNs(s)) {
    s->stepper->PrefetchBefore(s->stepper->table().PictureAt(*shown), delay);
  }
}

bool StartBackwards(PlayerEngineState* s) {
  StopBackwards(s);
  if (s->stepper == nullptr) return false;
  const PictureTable& table = s->stepper->table();
  const std::optional<std::int64_t> shown = ShownNs(s);
  if (!shown) return false;
  const std::int64_t from = std::min(table.PictureAt(*shown), table.count - 1);
  // Before the first keyframe nothing can be decoded.
  if (!table.keys.empty() && table.keys.front() > from) return false;
  s->player->Pause();
  s->reverse =
      std::make_unique<ReversePlayer>(*s->player, table, s->stepper->pictures(),
                                      s->stepper->decoder(), s->stepper->prefetch(),
                                      s->videoWindow, from, SpeedOfRate(s));
  return true;
}

void StopBackwards(PlayerEngineState* s) { s->reverse.reset(); }

bool SetDirection(PlayerEngineState* s, int direction) {
  if (s->engineReady == 0 || (direction != 1 && direction != -1)) return false;
  EngineLock lock(s->fileMutex);
  if (s->player == nullptr || !s->player->HasDisplayControl() || s->playState == 0) return false;
  if (direction < 0) {
    if (!StartBackwards(s)) return false;
    s->direction = -1;
    s->player->SetVolume(0);
    s->playState = 2;
    return true;
  }
  StopBackwards(s);
  if (s->direction > 0) return true;
  s->direction = 1;
  // The rate waits for the seek that starts playing again from the picture shown.
  s->player->SetRate(SpeedOfRate(s));
  s->player->SetVolume(s->rateCode == 1 ? s->volume : 0);
  if (s->playState == 2) {
    // As Play: pictures kept for stepping are not needed while playing forwards.
    s->stepper->ReleasePictures();
    s->player->Play();
  }
  return true;
}

}  // namespace engine
