#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

// The skinned slider under the picture (seek slider 38100) and the volume
// slider (38101): drawn from four pictures through an off-screen surface,
// reporting presses, drags and releases to its parent as posted messages
// (wParam = identifier, lParam = the position under the mouse).
class CSkinSliderCtrl : public QWidget {
  Q_OBJECT
 public:
  // Messages to the parent.
  static constexpr int kMessageDrag = 0x8065;
  static constexpr int kMessagePress = 0x8066;
  static constexpr int kMessageRelease = 0x8067;
  // A press counts within the slider's width and this many pixels either side.
  static constexpr int kPressBand = 10;

  CSkinSliderCtrl(int id, QWidget* parent);

  // The four pictures: filled track, empty track, thumb, pressed thumb.
  // Black is transparent in the two track pictures.
  void LoadImages(const QImage& filled, const QImage& empty, const QImage& thumb,
                  const QImage& thumbPressed);

  int id() const { return id_; }
  void SetRangeMin(int value) { rangeMin_ = value; }
  void SetRangeMax(int value) { rangeMax_ = value; }
  int rangeMin() const { return rangeMin_; }
  int rangeMax() const { return rangeMax_; }
  // Stores the thumb position and repaints at once.
  void SetPos(int position);
  int pos() const { return position_; }
  // The position the mouse last pointed at.
  int trackedPos() const { return trackedPos_; }
  bool dragging() const { return dragging_; }
  bool pressedOutsideThumb() const { return pressedOutside_; }
  // A disabled slider ignores presses and ends a drag without reporting it.
  void SetEnabledFlag(bool enabled) { enabled_ = enabled; }
  bool enabledFlag() const { return enabled_; }
  // Small ticks over the track at these positions (the clip's marks);
  // repaints.
  void SetTicks(std::vector<int> positions);
  const std::vector<int>& ticks() const { return ticks_; }
  // What the slider's tooltip says for the position under the pointer; no
  // tooltip where it returns an empty text or while none is set.
  void SetTipForPosition(std::function<QString(int position)> tip) {
    tipForPosition_ = std::move(tip);
  }

  // Ends a drag and gives the mouse back, without a message.
  void ReleaseCapture();

  // The geometry of the slider, for a client width, a thumb width and the
  // range [min, max] (r = max - min + 1 values).
  static double Ratio(int position, int min, int max);
  static int ThumbLeft(int position, int width, int thumbWidth, int min, int max);
  // The position under client x, clamped to the range; `min` when the
  // width gives no scale.
  static int PositionAt(int x, int width, int min, int max);
  // True when client x lies strictly within the press band.
  static bool InPressBand(int x, int width);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Post(int message);
  QRect ThumbRect() const;

  int id_;
  QImage filled_, empty_, thumb_, thumbPressed_;
  int rangeMin_ = 0;
  int rangeMax_ = 0;
  int position_ = 0;
  int trackedPos_ = 0;
  QPoint pressPoint_;
  bool dragging_ = false;
  bool pressedOutside_ = false;
  bool enabled_ = true;
  std::vector<int> ticks_;
  std::function<QString(int)> tipForPosition_;
};

// The viewer's own slider pictures, `height` pixels high: a blue filled
// track, a grey empty track, a white thumb and a light-blue pressed thumb.
void LoadDefaultSliderImages(CSkinSliderCtrl& slider, int height);
