// Playing, pausing, seeking, rates, volume and the frame arithmetic of the
// engine. Positions and counts are frames of frameUnitMs milliseconds.
#include <chrono>

#include "base/app_message.h"
#include "player/engine_messages.h"
#include "player/engine_reverse.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "player/rate_codes.h"

namespace engine {
namespace {

constexpr auto kSlowTurn = std::chrono::milliseconds(10);
constexpr int kSlowTurnsPerFrame = 100;
constexpr auto kPrefetchAfterSeek = std::chrono::milliseconds(150);

bool HasDisplay(const PlayerEngineState* s) {
  return s->player != nullptr && s->player->HasDisplayControl();
}

// The player's position for `frame`, in 100 ns units (single precision, truncated).
std::int64_t FramePosition(const PlayerEngineState* s, std::int64_t frame) {
  return static_cast<std::int64_t>(static_cast<float>(frame) * s->frameUnitMs * 10000.0f);
}

// Sound is heard only at normal speed forwards.
void ApplyVolume(PlayerEngineState* s) {
  const bool heard = s->rateCode == 1 && s->direction > 0;
  if (s->player != nullptr) s->player->SetVolume(heard ? s->volume : 0);
}

void SlowWorker(PlayerEngineState* s) {
  for (int turn = 1; s->oneFramePerSecond != 0.0f; ++turn) {
    std::this_thread::sleep_for(kSlowTurn);
    if (turn % kSlowTurnsPerFrame != 0 || s->playState == 3) continue;
    PostAppMessage(s->slowTarget, WM_SLOW_FRAME, 0, s->slowIndex);
    if (++s->slowIndex >= s->slowTotal) {
      PostAppMessage(s->slowTarget, WM_SLOW_END, 0, s->slowIndex);
      s->slowIndex = 0;
      return;
    }
  }
}

}  // namespace

int Play(PlayerEngineState* s) {
  if (s->engineReady == 0 || !HasDisplay(s)) return 0;
  if (s->playState == 2) return 1;
  EngineLock lock(s->fileMutex);
  // Backwards again from the picture shown; where that cannot be, forwards.
  if (s->direction < 0 && StartBackwards(s)) {
    s->playState = 2;
    return 1;
  }
  s->direction = 1;
  ApplyVolume(s);
  // Pictures kept for stepping are not needed while playing forwards.
  if (s->stepper != nullptr) s->stepper->ReleasePictures();
  s->player->Play();
  s->playState = 2;
  return 1;
}

int SeekWhilePlaying(PlayerEngineState* s, std::int32_t frame) {
  if (s->engineReady == 0) return 0;
  EngineLock lock(s->fileMutex);
  if (s->playState != 2 || s->player == nullptr) return 1;
  if (s->direction < 0) {
    StopBackwards(s);
    s->player->SeekPaused(FramePosition(s, frame));
    if (!StartBackwards(s)) s->playState = 3;
    return 1;
  }
  s->player->SeekPlaying(FramePosition(s, frame));
  return 1;
}

int Pause(PlayerEngineState* s) {
  if (s->engineReady == 0) return 0;
  if (s->playState == 3) return 1;
  EngineLock lock(s->fileMutex);
  StopBackwards(s);
  if (s->player != nullptr) s->player->Pause();
  s->playState = 3;
  PrefetchBeforeShown(s, std::chrono::milliseconds(0));
  return 1;
}

int Stop(PlayerEngineState* s) {
  if (s->engineReady == 0) return 0;
  if (s->playState == 1) return 1;
  EngineLock lock(s->fileMutex);
  // A stopped movie starts again forwards from its first picture.
  StopBackwards(s);
  s->direction = 1;
  ApplyVolume(s);
  if (s->player != nullptr) s->player->Stop();
  s->playState = 1;
  return 1;
}

std::int32_t GetPosition(PlayerEngineState* s) {
  if (s->engineReady == 0) return 0;
  EngineLock lock(s->fileMutex);
  if (s->player == nullptr || s->frameUnitMs <= 0.0f) return -1;
  std::int64_t time = 0;
  if (!s->player->ClockTime(time)) return -1;
  // Right after a seek the clock may still read 0: until the pipeline has
  // settled the movie is where the seek goes (read at once: the UI thread
  // asks, and it never waits for the pipeline).
  if (time == 0 && !s->player->Settled()) time = s->player->SeekTarget().value_or(0) / 100;
  if (time < 0) return -1;
  return static_cast<std::int32_t>(static_cast<double>(time) / (s->frameUnitMs * 10000.0));
}

int SeekToFrame(PlayerEngineState* s, std::int64_t frame) {
  if (s->engineReady == 0) return 0;
  EngineLock lock(s->fileMutex);
  if (s->player == nullptr) return 1;
  s->player->SeekPaused(FramePosition(s, frame));
  // Not for every picture passed while the slider is dragged.
  PrefetchBeforeShown(s, kPrefetchAfterSeek);
  return 1;
}

int SeekToFrameAlt(PlayerEngineState* s, std::int64_t frame) { return SeekToFrame(s, frame); }

std::int64_t GetFrameCount(PlayerEngineState* s) {
  if (s->engineReady == 0) return 0;
  EngineLock lock(s->fileMutex);
  std::int64_t duration = 0;
  if (s->player == nullptr || s->frameUnitMs <= 0.0f || !s->player->Duration(duration)) return 0;
  return static_cast<std::int64_t>(static_cast<double>(duration) / (s->frameUnitMs * 10000.0));
}

std::int64_t GetFrameCountAlt(PlayerEngineState* s) { return GetFrameCount(s); }

float GetFrameUnit(PlayerEngineState* s) { return s->engineReady != 0 ? s->frameUnitMs : 0.0f; }

int SetRate(PlayerEngineState* s, int code) {
  if (s->engineReady == 0) return 0;
  const RateChoice choice = ChooseRate(code, s->rateCode, s->canPlayBackwards != 0);
  s->rateCode = choice.code;
  ApplyVolume(s);
  // Backwards the speed is the reverse play's; the pipeline gets it when it
  // plays forwards again.
  if (s->direction < 0) {
    if (s->reverse != nullptr) s->reverse->SetSpeed(choice.speed);
    return 1;
  }
  if (s->player != nullptr) s->player->SetRate(choice.speed);
  return 1;
}

int SetVolume(PlayerEngineState* s, std::int32_t volume) {
  if (s->engineReady == 0) return 0;
  s->volume = volume;
  ApplyVolume(s);
  return 1;
}

int SetOneFramePerSecond(PlayerEngineState* s, float value) {
  if (s->engineReady == 0) return 0;
  if (s->slowThread.joinable()) {
    s->oneFramePerSecond = 0.0f;
    s->slowThread.join();
  }
  if (value != 0.0f) {
    if (s->frameUnitMs == 0.0f || s->player == nullptr) return 0;
    s->player->SetVolume(0);
    s->player->Play();
    s->slowTotal = static_cast<std::int32_t>(GetFrameCount(s));
    s->slowIndex = std::max(GetPosition(s), 0);
    s->slowTarget = s->videoWindow != nullptr && s->videoWindow->parent() != nullptr
                        ? static_cast<QObject*>(s->videoWindow->parent())
                        : s->videoWindow;
    if (s->player->State() == CPlayer::Started) s->player->Pause();
    s->oneFramePerSecond = value;
    s->slowThread = std::thread(SlowWorker, s);
    return 1;
  }
  s->oneFramePerSecond = 0.0f;
  if (s->player != nullptr) s->player->Play();
  SetRate(s, s->rateCode);
  return 1;
}

int NextRateCode(PlayerEngineState* s, bool faster) {
  if (s->engineReady == 0) return 0;
  if (s->playState != 2) return 1;
  return NextRateCodeFrom(s->rateCode, faster, s->player != nullptr, s->canPlayBackwards != 0);
}

}  // namespace engine
