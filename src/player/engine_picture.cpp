// Where and how the engine's picture appears: the layout of the picture in
// the video surface, the overlay text, the snapshot and the painting.
#include <QPainter>
#include <QSaveFile>

#include "player/movie_static.h"
#include "player/player_engine.h"

namespace engine {
namespace {

constexpr int kOverlayWidth = 300;
constexpr int kOverlayHeight = 120;
constexpr double kOverlayAlpha = 0.8;
constexpr int kSnapshotQuality = 95;

QRect ToQRect(const LayoutRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

QSize ClientSize(const PlayerEngineState* s) {
  return s->videoWindow != nullptr ? s->videoWindow->contentsRect().size() : QSize();
}

// Lays the picture out with the stored zoom, pan and aspect mode; false
// (and nothing changes) when the layout is refused.
bool LayOut(PlayerEngineState* s, const LayoutInput& input, bool repaint) {
  const std::optional<LayoutResult> layout = ComputeLayout(input);
  if (!layout) return false;
  s->videoRect = layout->videoRect;
  s->pictureRect = layout->pictureRect;
  s->hasLayout = true;
  // Re-apply the play state: a stopped movie shows its first picture again.
  if (s->player != nullptr && s->player->HasDisplayControl() && s->playState == 1) {
    s->player->SeekPaused(0);
  }
  if (repaint && s->videoWindow != nullptr) s->videoWindow->update();
  return true;
}

LayoutInput StoredLayout(const PlayerEngineState* s) {
  LayoutInput input;
  const QSize client = ClientSize(s);
  input.clientWidth = client.width();
  input.clientHeight = client.height();
  input.zoomCentreX = s->zoomCentreX;
  input.zoomCentreY = s->zoomCentreY;
  input.panX = s->panX;
  input.panY = s->panY;
  input.zoom = s->zoom;
  input.keepAspect = s->aspectMode == 1;
  if (s->player != nullptr) {
    const QSize video = s->player->NativeVideoSize();
    input.videoWidth = video.width();
    input.videoHeight = video.height();
  }
  return input;
}

// The overlay text on black, with black keyed out.
QImage OverlayPicture(const QString& text, const QFont& font) {
  QImage picture(kOverlayWidth, kOverlayHeight, QImage::Format_ARGB32);
  picture.fill(Qt::black);
  {
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(QColor(0x00, 0xFF, 0x00));
    painter.drawText(picture.rect(), Qt::TextWordWrap, text);
  }
  const QImage key = picture.createMaskFromColor(qRgb(0, 0, 0), Qt::MaskOutColor);
  picture.setAlphaChannel(key.convertToFormat(QImage::Format_Grayscale8));
  return picture;
}

}  // namespace

bool SetAspectMode(PlayerEngineState* s, std::int32_t mode) {
  if (s->engineReady == 0) return false;
  LayoutInput input = StoredLayout(s);
  input.keepAspect = mode == 1;
  if (!LayOut(s, input, true)) return false;
  s->aspectMode = mode;
  return true;
}

bool SetLayout(PlayerEngineState* s, int cx, int cy, int dx, int dy, float zoom, int repaint) {
  if (s->engineReady == 0) return false;
  EngineLock lock(s->fileMutex);
  LayoutInput input = StoredLayout(s);
  input.zoomCentreX = cx;
  input.zoomCentreY = cy;
  input.panX = dx;
  input.panY = dy;
  input.zoom = zoom;
  // A refused layout (zoom 0) keeps the picture and the stored values.
  if (!LayOut(s, input, repaint != 0)) return false;
  s->zoomCentreX = cx;
  s->zoomCentreY = cy;
  s->panX = dx;
  s->panY = dy;
  s->zoom = zoom;
  return true;
}

bool Relayout(PlayerEngineState* s) {
  if (s->engineReady == 0) return false;
  EngineLock lock(s->fileMutex);
  return LayOut(s, StoredLayout(s), true);
}

bool SetRotate180(PlayerEngineState* s, bool on) {
  if (s->engineReady == 0 || s->player == nullptr || !s->player->HasDisplayControl()) return false;
  s->rotate180 = on;
  if (s->videoWindow != nullptr) s->videoWindow->update();
  return true;
}

bool GetVideoSize(PlayerEngineState* s, int* width, int* height) {
  if (s->engineReady == 0 || s->player == nullptr) return false;
  const QSize size = s->player->NativeVideoSize();
  if (size.isEmpty()) return false;
  *width = size.width();
  *height = size.height();
  return true;
}

int Repaint(PlayerEngineState* s) {
  if (s->engineReady == 0) return 0;
  if (s->videoWindow != nullptr) s->videoWindow->update();
  return 1;
}

bool DrawOverlayText(PlayerEngineState* s, const QString& text) {
  if (s->engineReady == 0) return false;
  EngineLock lock(s->fileMutex);
  if (s->overlayTextPicture.isNull() || text != s->overlayText) {
    s->overlayTextPicture = OverlayPicture(text, s->overlayFont);
    s->overlayText = text;
  }
  QImage picture = s->overlayTextPicture;
  int w = 0;
  int h = 0;
  if (!GetVideoSize(s, &w, &h)) return false;
  const QSize client = ClientSize(s);
  if (client.isEmpty()) return false;
  const double width = client.width();
  const double height = client.height();
  double sx = width / w;
  double sy = height / h;
  if (s->aspectMode == 0) {
    if (height / width > static_cast<double>(h) / w) {
      sy = sx;
    } else {
      sx = sy;
    }
  }
  const double left = 1.0 - static_cast<int>(sx * kOverlayWidth) / width;
  const double top = 1.0 - static_cast<int>(sy * kOverlayHeight) / height;
  s->overlay = std::move(picture);
  s->overlayPlace = QRectF(QPointF(left, top), QPointF(1.0, 1.0));
  if (s->videoWindow != nullptr) s->videoWindow->update();
  return true;
}

bool SaveSnapshot(PlayerEngineState* s, const QString& path) {
  if (s->engineReady == 0 || s->player == nullptr) return false;
  int w = 0;
  int h = 0;
  if (!GetVideoSize(s, &w, &h)) return false;
  const QImage picture = s->player->CurrentImage();
  if (picture.isNull() || picture.size() != QSize(w, h)) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!picture.save(&file, "JPG", kSnapshotQuality)) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

void PaintPicture(PlayerEngineState* s, QPainter& painter, const QRect& client) {
  painter.fillRect(client, Qt::black);
  if (s->player == nullptr) return;
  const QRect picture =
      s->hasLayout ? ToQRect(s->pictureRect).translated(client.topLeft()) : client;
  painter.save();
  painter.setClipRect(client);
  if (s->player->presenter().Paint(painter, picture, s->rotate180) && !s->overlay.isNull()) {
    const QRectF& place = s->overlayPlace;
    const QRectF target(picture.left() + place.left() * picture.width(),
                        picture.top() + place.top() * picture.height(),
                        place.width() * picture.width(), place.height() * picture.height());
    painter.setOpacity(kOverlayAlpha);
    painter.drawImage(target, s->overlay);
  }
  painter.restore();
}

}  // namespace engine
