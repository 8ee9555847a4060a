#pragma once

#include <QPushButton>
#include <QWidget>
#include <array>

#include "views/frame_view.h"
#include "views/info_values.h"

// The information panel under the picture: date and time, speed, the three
// G values with their axis labels and the status icons of the frame on
// screen. It holds copies of the values the main window pushes and draws
// them itself. Three toggle buttons switch the acceleration axes of the
// G-sensor graph; a click posts kMessageAxisToggle to the message target.
class CInfoDlg : public QWidget, public FrameView {
  Q_OBJECT
 public:
  static constexpr int kMessageAxisToggle = 0x82BD;
  static constexpr int kFirstToggleId = 38600;
  static constexpr int kToggleSize = 12;
  static constexpr int kToggleSpacing = 120;

  explicit CInfoDlg(QWidget* parent = nullptr);

  // Where the axis toggles post their message (the main window).
  void setMessageTarget(QObject* target) { messageTarget_ = target; }

  // The no-data values, redrawn at once.
  void Reset();

  // Takes the frame's G values, event, speed and fix; the no-data values
  // where the frame has no record. Drawn at the next repaint.
  void ShowFrame(const FrameValues& values) override;

  void SetAccel(double x, double y, double z);
  void SetEventWord(std::int32_t event) { values_.eventWord = event; }
  void SetSpeed(double speed) { values_.speed = speed; }
  void SetFixValid(std::int32_t valid) { values_.fixValid = valid; }
  void SetFrame(std::int32_t frame) { values_.frame = frame; }
  void SetFrameTime(float frameTime) { values_.frameTime = frameTime; }
  void SetFrameCount(std::int64_t count) { values_.frameCount = count; }
  void SetQuality(std::int32_t quality) { values_.quality = quality; }
  void SetStartTime(const CalendarTime& start);
  // Seconds added to the recorder's clock in the date and time shown.
  void SetTimeOffset(std::int64_t seconds) { values_.timeOffset = seconds; }
  // The unit the speed is shown in; at first the one chosen for this run.
  void SetSpeedUnit(SpeedUnit unit) { values_.speedUnit = unit; }
  // 0 one row under the picture, 1 the large two-row form, 2 the compact
  // form over the full-screen picture.
  void SetPanelLayout(int layout);
  int panelLayout() const { return layout_; }

  const InfoValues& values() const { return values_; }
  bool axisShown(int axis) const { return axisShown_.at(axis) != 0; }
  QPushButton* axisToggle(int axis) const { return toggles_.at(axis); }

  // Draws the panel's contents into `painter` over `area` (also used for the
  // compact form over the full-screen picture).
  void DrawContents(QPainter& painter, const QRect& area) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void OnToggle(int axis);
  // The axis whose label (beside its toggle) lies under `point`, or -1.
  int AxisLabelAt(QPoint point) const;

  InfoValues values_;
  int layout_ = 0;
  int pressedLabel_ = -1;
  std::array<std::int32_t, 3> axisShown_{1, 1, 1};
  std::array<QPushButton*, 3> toggles_{};
  QObject* messageTarget_ = nullptr;
};
