#include "player/missing_decoder.h"

#include "base/app_message.h"
#include "player/engine_messages.h"
#include "player/movie_static.h"
#include "player/player_engine_state.h"

namespace engine {

void ReportMissingDecoder(PlayerEngineState* s) {
  s->missingDecoder =
      s->player != nullptr ? QString::fromStdString(s->player->MissingPlugins()) : QString();
  if (s->videoWindow == nullptr) return;
  QObject* window = s->videoWindow->parent() != nullptr
                        ? static_cast<QObject*>(s->videoWindow->parent())
                        : s->videoWindow;
  PostAppMessage(window, WM_MEDIA_MISSING_DECODER);
}

}  // namespace engine
