#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <mutex>

#include "container/event_marks.h"
#include "views/frame_view.h"

class SensorTrack;

// The G-sensor graph under the information panel: the three acceleration
// axes of the recording, the recorder's event marks as labelled lines, a
// translucent band under speeding and a white cursor at the frame on screen.
// The main window writes its state; every repaint works the picture out
// again from the sensor track into an off-screen image and shows it in one
// copy. A released left button posts kMessagePrevEvent to the message
// target, a released right button kMessageNextEvent.
class CGSensorDlg : public QWidget, public FrameView {
  Q_OBJECT
 public:
  static constexpr int kMessagePrevEvent = 0x8191;
  static constexpr int kMessageNextEvent = 0x8192;
  static constexpr int kLeftMargin = 50;
  static constexpr int kBandHeight = 40;
  static constexpr int kLabelRowHeight = 10;

  explicit CGSensorDlg(QWidget* parent = nullptr);

  void setMessageTarget(QObject* target) { messageTarget_ = target; }

  // The track to draw and the lock that guards it (the engine's); nullptr
  // draws no data.
  void SetTrack(const SensorTrack* track, std::recursive_mutex* lock);
  // The frame range of the cursor (the seek slider's range).
  void SetFrameCount(std::int64_t count) { frameCount_ = count; }
  void SetCursorFrame(std::int64_t frame) { cursorFrame_ = frame; }
  void SetCursorShown(bool shown) { cursorShown_ = shown; }
  void SetDataPresent(bool present) { dataPresent_ = present; }
  // Off for recordings triggered continuously or by parking watch.
  void SetGMarks(bool on) { gMarks_ = on; }
  // 0..3 for 0.5, 1, 1.5 and 2 G at the background's top line.
  void SetScaleIndex(int index);
  void SetSwitches(const EventChannelSwitches& switches) { switches_ = switches; }
  // No data and the cursor at 0, redrawn.
  void Reset();

  // Moves the cursor to the frame and redraws.
  void ShowFrame(const FrameValues& values) override;

  std::int64_t cursorFrame() const { return cursorFrame_; }
  int scaleIndex() const { return scaleIndex_; }
  bool gMarks() const { return gMarks_; }

  // Draws the graph into the off-screen image at the window's size.
  const QImage& Render();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void DrawBackground(QPainter& p, int width);
  void DrawData(QPainter& p);
  void DrawCursor(QPainter& p);

  const SensorTrack* track_ = nullptr;
  std::recursive_mutex* trackLock_ = nullptr;
  std::int64_t frameCount_ = 0;
  std::int64_t cursorFrame_ = 0;
  bool cursorShown_ = false;  // shown while a recording is open
  bool dataPresent_ = false;
  bool gMarks_ = true;
  int scaleIndex_ = 1;
  EventChannelSwitches switches_{};
  std::array<QImage, 4> backgrounds_;
  QImage star_;
  QImage image_;
  QObject* messageTarget_ = nullptr;
};
