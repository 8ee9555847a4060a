#pragma once

#include <QWidget>

// The flat progress bar that the long commands show over the picture: the
// done part in blue, the rest in white, and the position as "%d %" centred,
// white over the blue part and blue over the white one.
class CSkinProgressBarCtrl : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kControlId = 38102;
  static constexpr int kHeight = 22;
  // The label's box, centred on the bar.
  static constexpr int kLabelWidth = 100;

  // Named "38102", accessible as "progress bar".
  explicit CSkinProgressBarCtrl(QWidget* parent = nullptr);

  void SetRange(int minimum, int maximum);
  // Stores the position and repaints.
  void SetPos(int position);
  int pos() const { return position_; }
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }

  // Moves to the bottom kHeight pixels of `reference` (a sibling: same
  // parent), full width, raised.
  void Place(const QWidget* reference);

  // The width of the done part of a bar `width` wide: the part of the range
  // that `position` has covered, 0 when the range is empty, never outside
  // 0..width.
  static int FilledWidth(int width, int position, int minimum, int maximum);
  // The colours of the done part and of the rest (red, green, blue).
  static QColor FillColour() { return QColor(0, 0, 255); }
  static QColor RestColour() { return QColor(255, 255, 255); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
};
