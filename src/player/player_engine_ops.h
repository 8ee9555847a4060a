#pragma once

#include <QString>
#include <cstdint>

#include "player/player_engine_state.h"

// The player engine's table of operations, in slot order. Every operation
// takes the engine's state record first.
struct PlayerEngineOps {
  bool (*EngineInit)(PlayerEngineState*, CMovieStatic* videoWindow, const QString& faceName);
  int (*EngineShutdown)(PlayerEngineState*);
  bool (*IsRecorderFile)(PlayerEngineState*, const QString& path);
  bool (*OpenMovie)(PlayerEngineState*, const QString& path);
  int (*CloseMovie)(PlayerEngineState*);
  bool (*LoadTrack)(PlayerEngineState*, const QString& path);
  int (*ReleaseTrack)(PlayerEngineState*);
  int (*Play)(PlayerEngineState*);
  int (*SeekWhilePlaying)(PlayerEngineState*, std::int32_t frame);
  int (*Pause)(PlayerEngineState*);
  int (*Stop)(PlayerEngineState*);
  std::int32_t (*GetPosition)(PlayerEngineState*);
  int (*SeekToFrame)(PlayerEngineState*, std::int64_t frame);
  int (*SeekToFrameAlt)(PlayerEngineState*, std::int64_t frame);
  void (*SetReservedFlag)(PlayerEngineState*, std::int32_t value);
  int (*ReturnZero15)(PlayerEngineState*);  // slot 15: ReturnZero
  void (*SetHardwareDecode)(PlayerEngineState*, bool on);
  int (*ReturnZero17)(PlayerEngineState*);  // slot 17: ReturnZero
  int (*SetRate)(PlayerEngineState*, int code);
  int (*SetOneFramePerSecond)(PlayerEngineState*, float value);
  bool (*SetAspectMode)(PlayerEngineState*, std::int32_t mode);
  std::int64_t (*GetFrameCount)(PlayerEngineState*);
  std::int64_t (*GetFrameCountAlt)(PlayerEngineState*);
  int (*ReturnZero23)(PlayerEngineState*);  // slot 23: ReturnZero
  float (*GetFrameUnit)(PlayerEngineState*);
  bool (*GetVideoSize)(PlayerEngineState*, int* width, int* height);
  int (*SetVolume)(PlayerEngineState*, std::int32_t volume);
  bool (*DrawOverlayText)(PlayerEngineState*, const QString& text);
  bool (*SetRotate180)(PlayerEngineState*, bool on);
  bool (*SetLayout)(PlayerEngineState*, int cx, int cy, int dx, int dy, float zoom, int repaint);
  bool (*SaveSnapshot)(PlayerEngineState*, const QString& path);
  int (*Repaint)(PlayerEngineState*);
  bool (*Relayout)(PlayerEngineState*);
  // Beyond the 33 slots: the next (+1) or previous (-1) picture of the
  // movie, paused. True when the picture changed; the views then follow
  // GetPosition.
  bool (*StepPicture)(PlayerEngineState*, int direction);
  // Plays forwards (1) or backwards (-1) at the rate's speed; false, the
  // direction staying forwards, when the movie cannot play backwards.
  bool (*SetDirection)(PlayerEngineState*, int direction);
};

// Returns the table filled with the engine's operations.
PlayerEngineOps MakePlayerEngineOps();
