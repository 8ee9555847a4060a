// The engine's sensor tracks: the current recording's track, and the
// read-ahead of the next one that LoadTrack takes over when the paths match.
#include "base/path_text.h"
#include "player/player_engine.h"

namespace engine {
namespace {

bool SamePath(const std::filesystem::path& a, const QString& b) {
  return PathText(a).compare(b, Qt::CaseInsensitive) == 0;
}

// Empties a track (path and records).
void CloseTrack(SensorTrack& track) {
  track.Destroy();
  track.Create();
}

// Waits for the cache mutex with the read-ahead's abort flag raised, so that
// a read-ahead still running gives up, and releases it again.
void AbortPrefetch(PlayerEngineState* s) {
  s->prefetchReader.track.cancel = true;
  { EngineLock wait(s->cacheMutex); }
  s->prefetchReader.track.cancel = false;
}

}  // namespace

bool LoadTrack(PlayerEngineState* s, const QString& path) {
  if (s->engineReady == 0) return false;
  PrefetchReader& prefetch = s->prefetchReader;
  if (prefetch.loading && !SamePath(prefetch.Path(), path)) AbortPrefetch(s);
  EngineLock cacheLock(s->cacheMutex);
  EngineLock fileLock(s->fileMutex);
  if (prefetch.ready && SamePath(prefetch.Path(), path)) {
    SensorTrack::Move(prefetch.track, s->currentReader);
    s->currentReader.path = PathOf(path);
  } else {
    CloseTrack(s->currentReader);
    if (!s->currentReader.Load(PathOf(path))) {
      prefetch.ready = false;
      return false;
    }
  }
  prefetch.ready = false;
  prefetch.SetPath({});
  CloseTrack(prefetch.track);
  s->currentReader.frameTime = s->frameUnitMs;
  return s->currentReader.MapFrames(GetFrameCountAlt(s));
}

int ReleaseTrack(PlayerEngineState* s) {
  if (s->engineReady == 0) return 0;
  EngineLock lock(s->fileMutex);
  CloseTrack(s->probeReader);
  CloseTrack(s->currentReader);
  return 1;
}

bool PrefetchTrack(PlayerEngineState* s, const QString& path) {
  if (s->engineReady == 0) return false;
  PrefetchReader& prefetch = s->prefetchReader;
  AbortPrefetch(s);
  EngineLock lock(s->cacheMutex);
  prefetch.ready = false;
  CloseTrack(prefetch.track);
  prefetch.SetPath(PathOf(path));
  prefetch.loading = true;
  const bool loaded = prefetch.track.Load(PathOf(path));
  prefetch.loading = false;
  prefetch.ready = loaded;
  return loaded;
}

void ClearTrackCache(PlayerEngineState* s) {
  if (s->engineReady == 0) return;
  AbortPrefetch(s);
  EngineLock lock(s->cacheMutex);
  s->prefetchReader.ready = false;
  s->prefetchReader.SetPath({});
  CloseTrack(s->prefetchReader.track);
}

}  // namespace engine
