#include "player/layout.h"

namespace {

// Grows [low, high) of length `size` by `z` times its length, split at
// `centre` (the zoom centre keeps its place).
void ZoomSpan(int& low, int& high, int centre, int size, float z) {
  const float share = static_cast<float>(centre) / static_cast<float>(size);
  low -= static_cast<int>(share * static_cast<float>(size) * z);
  high += static_cast<int>((1.0f - share) * static_cast<float>(size) * z);
}

}  // namespace

std::optional<LayoutResult> ComputeLayout(const LayoutInput& input) {
  if (input.zoom == 0.0f || input.clientWidth <= 0 || input.clientHeight <= 0) return std::nullopt;
  LayoutRect rect{0, 0, input.clientWidth, input.clientHeight};
  const float z = input.zoom - 1.0f;
  ZoomSpan(rect.left, rect.right, input.zoomCentreX, input.clientWidth, z);
  ZoomSpan(rect.top, rect.bottom, input.zoomCentreY, input.clientHeight, z);
  if (rect.right < rect.left) return std::nullopt;
  rect.left += input.panX;
  rect.right += input.panX;
  rect.top += input.panY;
  rect.bottom += input.panY;

  LayoutResult result{rect, rect};
  if (!input.keepAspect || input.videoWidth <= 0 || input.videoHeight <= 0) return result;
  const float ratio = static_cast<float>(input.videoWidth) / static_cast<float>(input.videoHeight);
  const float clientRatio =
      static_cast<float>(input.clientWidth) / static_cast<float>(input.clientHeight);
  LayoutRect& picture = result.pictureRect;
  if (clientRatio > ratio) {
    const int width = static_cast<int>(static_cast<float>(rect.height()) * ratio);
    picture.left = rect.left + (rect.width() - width) / 2;
    picture.right = picture.left + width;
  } else {
    const int height = static_cast<int>(static_cast<float>(rect.width()) / ratio);
    picture.top = rect.top + (rect.height() - height) / 2;
    picture.bottom = picture.top + height;
  }
  picture.right += 2;
  picture.bottom += 2;
  return result;
}
