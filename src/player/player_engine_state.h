#pragma once

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "container/sensor_track.h"
#include "player/layout.h"
#include "player/picture_stepper.h"
#include "player/player.h"
#include "player/player_disposer.h"
#include "player/reverse_player.h"

class CMovieStatic;

// The sensor track read ahead for the recording the main window expects to
// open next, with the path it is loading or holds.
struct PrefetchReader {
  SensorTrack track;  // its cancel flag is the read-ahead's abort flag
  std::atomic<bool> loading{false};
  bool ready = false;  // guarded by "hCacheFileMutex"

  std::filesystem::path Path() const {
    std::lock_guard lock(pathMutex);
    return path;
  }
  void SetPath(const std::filesystem::path& value) {
    std::lock_guard lock(pathMutex);
    path = value;
  }

 private:
  mutable std::mutex pathMutex;
  std::filesystem::path path;
};

// The one state record of the player engine. The main window owns it, makes
// a fresh one before EngineInit and passes it to every operation.
struct PlayerEngineState {
  std::int32_t volume = 0;              // last SetVolume, 0..65535
  CMovieStatic* videoWindow = nullptr;  // the video surface; media messages go to it
  float frameUnitMs = 0;                // one "frame" in milliseconds; 0 until a movie is open
  std::atomic<float> oneFramePerSecond{0};
  std::int32_t canPlayBackwards = 0;  // the GStreamer player offers no reverse play
  std::int32_t reservedFlag = 0;
  std::int32_t hardwareDecode = 0;
  std::int32_t rateCode = 0;    // 1, 2, 4, -1, -2, -4; EngineInit sets 1
  std::int32_t aspectMode = 0;  // 1 keeps the picture's aspect ratio
  std::int32_t zoomCentreX = 0;
  std::int32_t zoomCentreY = 0;
  float zoom = 0;
  LayoutRect videoRect;  // zoomed and panned rectangle of the last layout
  std::int32_t panX = 0;
  std::int32_t panY = 0;
  std::thread slowThread;
  std::atomic<std::int32_t> playState{0};  // 0 closed, 1 stopped, 2 playing, 3 paused
  // Kept for the main window; the engine never writes them.
  std::int32_t mainFlag = 0;
  std::int32_t engineReady = 0;
  std::int32_t trackLoaded = 0;
  QFont overlayFont;
  std::recursive_mutex* fileMutex = nullptr;   // "hFileMutex"
  std::recursive_mutex* cacheMutex = nullptr;  // "hCacheFileMutex"
  SensorTrack probeReader;
  SensorTrack currentReader;
  PrefetchReader prefetchReader;
  // Closed players on their way down, and the open movie's player.
  PlayerDisposer disposer;
  std::unique_ptr<CPlayer> player;
  // The overlay text picture (300 x 120, black keyed out) and where it goes,
  // normalised to the picture rectangle; null while there is none.
  QImage overlay;
  QRectF overlayPlace;
  // The last text drawn and its picture, kept while the font stays: the
  // main window draws the same text again at every rate label update.
  QString overlayText;
  QImage overlayTextPicture;
  std::int32_t slowTotal = 0;
  std::atomic<std::int32_t> slowIndex{0};
  QObject* slowTarget = nullptr;
  // Where the picture is painted (the layout after aspect fitting), and
  // whether a layout has been made; without one it fills the surface.
  LayoutRect pictureRect;
  bool hasLayout = false;
  bool rotate180 = false;
  // Stepping picture by picture: the open movie's path, the bound of the
  // cache of pictures for stepping backwards (EngineInit reads it from the
  // settings file), and the stepper, made when a movie opens.
  std::filesystem::path moviePath;
  std::size_t stepCacheBytes = 0;
  std::unique_ptr<PictureStepper> stepper;
  // The direction of play beside the rate: 1 forwards, -1 backwards (reset
  // to forwards when the movie closes or stops), and the reverse play while
  // it runs, sharing the stepper's tables, cache and second pipeline.
  std::int32_t direction = 1;
  std::unique_ptr<ReversePlayer> reverse;
  // What GStreamer lacked, or could not handle, for the movie of the last
  // open when it failed for want of a decoder (descriptions one a line);
  // empty after any other open, and when GStreamer did not say.
  QString missingDecoder;
};

// Waits counted by the engine's locks: incremented just before each wait on
// "hFileMutex" or "hCacheFileMutex", decremented just after each release.
extern std::atomic<int> lockDepth;

// Holds one of the engine's named mutexes for its lifetime, counted in lockDepth.
class EngineLock {
 public:
  explicit EngineLock(std::recursive_mutex* mutex) : mutex_(mutex) {
    ++lockDepth;
    mutex_->lock();
  }
  ~EngineLock() {
    mutex_->unlock();
    --lockDepth;
  }
  EngineLock(const EngineLock&) = delete;
  EngineLock& operator=(const EngineLock&) = delete;

 private:
  std::recursive_mutex* mutex_;
};
