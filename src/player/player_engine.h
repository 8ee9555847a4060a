#pragma once

#include <QString>
#include <cstdint>

#include "player/player_engine_state.h"

class QPainter;
class QRect;

// The player engine's operations. Each takes the state record first and does
// nothing (returning 0) while its engineReady flag is clear, except
// EngineInit. The main window reaches them through PlayerEngineOps.
namespace engine {

bool EngineInit(PlayerEngineState* s, CMovieStatic* videoWindow, const QString& faceName);
int EngineShutdown(PlayerEngineState* s);
bool IsRecorderFile(PlayerEngineState* s, const QString& path);
// Checks the recording and starts its pipeline: true when it is on its way.
// The pipeline gets ready (or fails) later; the video surface then calls
// CompleteOpen before it tells its owner.
bool OpenMovie(PlayerEngineState* s, const QString& path);
// Finishes the open once the player reported it `ready` or failed: true
// when the movie is open and playable, else it is closed (and the missing
// decoder shown).
bool CompleteOpen(PlayerEngineState* s, bool ready);
int CloseMovie(PlayerEngineState* s);
bool LoadTrack(PlayerEngineState* s, const QString& path);
int ReleaseTrack(PlayerEngineState* s);
int Play(PlayerEngineState* s);
int SeekWhilePlaying(PlayerEngineState* s, std::int32_t frame);
int Pause(PlayerEngineState* s);
int Stop(PlayerEngineState* s);
std::int32_t GetPosition(PlayerEngineState* s);
int SeekToFrame(PlayerEngineState* s, std::int64_t frame);
int SeekToFrameAlt(PlayerEngineState* s, std::int64_t frame);
void SetReservedFlag(PlayerEngineState* s, std::int32_t value);
int ReturnZero(PlayerEngineState* s);
void SetHardwareDecode(PlayerEngineState* s, bool on);
int SetRate(PlayerEngineState* s, int code);
int SetOneFramePerSecond(PlayerEngineState* s, float value);
bool SetAspectMode(PlayerEngineState* s, std::int32_t mode);
std::int64_t GetFrameCount(PlayerEngineState* s);
std::int64_t GetFrameCountAlt(PlayerEngineState* s);
float GetFrameUnit(PlayerEngineState* s);
bool GetVideoSize(PlayerEngineState* s, int* width, int* height);
int SetVolume(PlayerEngineState* s, std::int32_t volume);
bool DrawOverlayText(PlayerEngineState* s, const QString& text);
bool SetRotate180(PlayerEngineState* s, bool on);
bool SetLayout(PlayerEngineState* s, int cx, int cy, int dx, int dy, float zoom, int repaint);
bool SaveSnapshot(PlayerEngineState* s, const QString& path);
int Repaint(PlayerEngineState* s);
bool Relayout(PlayerEngineState* s);
// Pauses a playing movie, then shows the next (+1) or the previous (-1)
// picture of the stream: GetPosition is then that picture's frame and the
// picture painted and saved is that one. False, with nothing changed, at
// the first picture backwards, at the last forwards, without an open movie
// or for any other direction.
bool StepPicture(PlayerEngineState* s, int direction);
// Plays forwards (1) or backwards (-1) at the rate's speed from the picture
// shown, whatever the play state was: backwards each picture comes from the
// decoding of its group (the stepper's second pipeline and cache) and is
// shown last to first, without sound; GetPosition follows it. False, the
// direction staying forwards, when the movie has no sample tables or no
// keyframe at or before the picture shown, or without an open movie.
bool SetDirection(PlayerEngineState* s, int direction);

// The next rate code of the main window's faster or slower command: 0 while
// the engine is not ready, 1 while not playing.
int NextRateCode(PlayerEngineState* s, bool faster);

// Reads the track of `path` ahead into the read-ahead reader (the main
// window's prefetcher thread). A read-ahead still running is cancelled.
bool PrefetchTrack(PlayerEngineState* s, const QString& path);
// Empties the read-ahead reader, cancelling a read-ahead still running.
void ClearTrackCache(PlayerEngineState* s);

// Paints the surface's client area `client`: the current picture in the
// layout rectangle with the overlay text, black elsewhere.
void PaintPicture(PlayerEngineState* s, QPainter& painter, const QRect& client);

}  // namespace engine
