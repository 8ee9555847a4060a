// The engine's life: start-up and shutdown, the recorder-file test, and
// opening and closing a movie.
#include <QCoreApplication>
#include <QPointer>
#include <fstream>
#include <string_view>

#include "base/path_text.h"
#include "base/settings_file.h"
#include "catalogue/recording_check.h"
#include "container/named_mutex.h"
#include "player/engine_messages.h"
#include "player/engine_reverse.h"
#include "player/missing_decoder.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "player/show_hresult_error.h"

std::atomic<int> lockDepth{0};

namespace engine {
namespace {

// The least number of sensor records a playable recording has, unless it
// has none at all: a recording whose records were lost (one repaired after
// an impact cut it short) plays, its views showing no values.
constexpr std::int64_t kMinimumRecords = 16;

// True when bytes 4..7 of the file are "ftyp".
bool StartsWithFtyp(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  char head[8] = {};
  return file.read(head, sizeof head) && std::string_view(head + 4, 4) == "ftyp";
}

// Repaints the surface whenever the presenter has a new picture; queued to
// the surface's thread, dropped once the surface is gone.
void ConnectPresenter(PlayerEngineState* s) {
  QPointer<CMovieStatic> surface(s->videoWindow);
  s->player->presenter().SetFrameCallback([surface] {
    if (surface.isNull()) return;
    QMetaObject::invokeMethod(
        surface.data(),
        [surface] {
          if (!surface.isNull()) surface->update();
        },
        Qt::QueuedConnection);
  });
}

}  // namespace

bool EngineInit(PlayerEngineState* s, CMovieStatic* videoWindow, const QString& faceName) {
  EngineShutdown(s);
  s->fileMutex = &NamedMutex("hFileMutex");
  s->cacheMutex = &NamedMutex("hCacheFileMutex");
  s->videoWindow = videoWindow;
  s->rateCode = 1;
  s->playState = 0;
  s->player.reset();
  s->stepCacheBytes = static_cast<std::size_t>(ReadStepCacheMegabytes()) * 1024 * 1024;
  // 42 points at the screen's vertical resolution, bold.
  const int dpi = videoWindow != nullptr ? videoWindow->logicalDpiY() : 96;
  s->overlayFont = QFont();
  s->overlayFont.setFamilies({faceName, "Noto Sans CJK JP"});
  s->overlayFont.setPixelSize(42 * dpi / 72);
  s->overlayFont.setWeight(QFont::Bold);
  s->overlayTextPicture = QImage();
  if (videoWindow != nullptr) {
    videoWindow->setPicturePainter(
        [s](QPainter& painter, const QRect& client) { PaintPicture(s, painter, client); });
    videoWindow->setOpenCompleter([s](bool ready) { return CompleteOpen(s, ready); });
  }
  const bool probe = s->probeReader.Create();
  const bool prefetch = s->prefetchReader.track.Create();
  return probe && prefetch;
}

int EngineShutdown(PlayerEngineState* s) {
  if (s->fileMutex == nullptr) return 1;  // never started
  s->prefetchReader.track.cancel = true;
  { EngineLock wait(s->cacheMutex); }
  s->prefetchReader.track.cancel = false;
  EngineLock lock(s->fileMutex);
  if (s->oneFramePerSecond != 0.0f || s->slowThread.joinable()) {
    s->oneFramePerSecond = 0.0f;
    if (s->slowThread.joinable()) s->slowThread.join();
  }
  // A movie still open is closed, so that no pipeline outlives the engine.
  if (s->player != nullptr) CloseMovie(s);
  s->disposer.WaitUntilDone();
  if (s->videoWindow != nullptr) {
    s->videoWindow->setPicturePainter({});
    s->videoWindow->setOpenCompleter({});
  }
  s->playState = 0;
  s->prefetchReader.ready = false;
  s->prefetchReader.SetPath({});
  s->prefetchReader.track.Destroy();
  s->probeReader.Destroy();
  return 1;
}

bool IsRecorderFile(PlayerEngineState* s, const QString& path) {
  if (s->engineReady == 0) return false;
  return IsRecording(PathOf(path));
}

bool OpenMovie(PlayerEngineState* s, const QString& path) {
  if (s->engineReady == 0) return false;
  EngineLock lock(s->fileMutex);
  s->missingDecoder.clear();
  const std::filesystem::path file = PathOf(path);
  if (!StartsWithFtyp(file)) return false;

  const std::optional<std::int64_t> records = s->probeReader.RecordCount(file);
  s->probeReader.Destroy();
  s->probeReader.Create();
  // No records: a recorder's file still (its closing marker), not a plain
  // movie without a sensor track.
  if (!records || (*records == 0 ? !IsRecording(file) : *records < kMinimumRecords)) return false;

  const std::optional<float> unit = s->probeReader.FrameRateScan(file);
  s->probeReader.Destroy();
  s->probeReader.Create();
  s->frameUnitMs = unit.value_or(0.0f);
  s->currentReader.frameTime = s->frameUnitMs;
  s->canPlayBackwards = 0;

  CloseMovie(s);
  s->moviePath = file;
  s->player = CPlayer::Create(s->videoWindow);
  if (s->player == nullptr) {
    ShowHResultError(kResultNoInterface, s->videoWindow);
    return false;
  }
  ConnectPresenter(s);
  s->overlay = QImage();
  if (Failed(s->player->OpenFile(path))) {
    s->player.reset();
    return false;
  }
  // Continuous play goes on at its speed: the new pipeline takes it as it
  // gets ready, not by a seek from the window once it is.
  s->player->SetRate(s->direction > 0 ? SpeedOfRate(s) : 1.0);
  // The steps and reverse play find their second pipeline started with the
  // first (null when the sample tables cannot be read: neither is offered).
  s->stepper = PictureStepper::Create(*s->player, s->moviePath, s->stepCacheBytes);
  // The pipeline gets ready on its own threads; CompleteOpen finishes the
  // open when it reports.
  s->playState = 1;
  return true;
}

bool CompleteOpen(PlayerEngineState* s, bool ready) {
  EngineLock lock(s->fileMutex);
  if (s->player == nullptr) return false;
  bool opened = ready;
  if (!ready && s->player->LastError() == kResultMissingDecoder) ReportMissingDecoder(s);
  if (opened && s->frameUnitMs == 0.0f) {
    // No 'stts' to measure: the stream's own frame rate.
    const double rate = s->player->presenter().FrameRate();
    if (rate > 0) {
      s->frameUnitMs = static_cast<float>(1000.0 / rate);
    } else {
      opened = ShowHResultError(kResultFail, s->videoWindow);
    }
  }
  s->currentReader.frameTime = s->frameUnitMs;
  if (opened && GetFrameCountAlt(s) <= 0) opened = false;
  if (!opened) {
    CloseMovie(s);
    s->frameUnitMs = 0;
  }
  return opened;
}

int CloseMovie(PlayerEngineState* s) {
  if (s->engineReady == 0 && s->player == nullptr) return 0;
  EngineLock lock(s->fileMutex);
  s->reverse.reset();
  s->direction = 1;
  if (s->player != nullptr) {
    // Its pipelines are brought down on the disposer's thread; from here on
    // it tells the surface nothing.
    s->disposer.Dispose(std::move(s->player), std::move(s->stepper));
  }
  // What the closed movie posted and the surface has not yet handed on
  // belongs to it alone.
  if (s->videoWindow != nullptr) {
    QCoreApplication::removePostedEvents(s->videoWindow, WM_MEDIA_READY);
    QCoreApplication::removePostedEvents(s->videoWindow, WM_MEDIA_FAILED);
  }
  s->overlay = QImage();
  s->playState = 0;
  if (s->videoWindow != nullptr) s->videoWindow->update();
  return 1;
}

void SetReservedFlag(PlayerEngineState* s, std::int32_t value) {
  if (s->engineReady != 0) s->reservedFlag = value;
}

int ReturnZero(PlayerEngineState*) { return 0; }

void SetHardwareDecode(PlayerEngineState* s, bool on) {
  if (s->engineReady == 0) return;
  s->hardwareDecode = on ? 1 : 0;
  CPlayer::SetPreferHardwareDecoders(on);
}

}  // namespace engine
