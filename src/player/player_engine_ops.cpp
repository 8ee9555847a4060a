#include "player/player_engine_ops.h"

#include "player/player_engine.h"

PlayerEngineOps MakePlayerEngineOps() {
  using namespace engine;
  return PlayerEngineOps{
      EngineInit,
      EngineShutdown,
      IsRecorderFile,
      OpenMovie,
      CloseMovie,
      LoadTrack,
      ReleaseTrack,
      Play,
      SeekWhilePlaying,
      Pause,
      Stop,
      GetPosition,
      SeekToFrame,
      SeekToFrameAlt,
      SetReservedFlag,
      ReturnZero,
      SetHardwareDecode,
      ReturnZero,
      SetRate,
      SetOneFramePerSecond,
      SetAspectMode,
      GetFrameCount,
      GetFrameCountAlt,
      ReturnZero,
      GetFrameUnit,
      GetVideoSize,
      SetVolume,
      DrawOverlayText,
      SetRotate180,
      SetLayout,
      SaveSnapshot,
      Repaint,
      Relayout,
      StepPicture,
      SetDirection,
  };
}
