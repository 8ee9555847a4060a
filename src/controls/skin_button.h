#pragma once

#include <QAbstractButton>
#include <QImage>

// A push button drawn from a strip of four frames, each as large as the
// button: 0 at rest, 1 while the mouse hovers, 2 pressed or latched, 3
// disabled. Black pixels of the strip are transparent over the button's
// dark background. A hidden button draws nothing; a latched one shows its
// pressed frame at rest. Clicks reach the owner as the clicked() signal.
class CSkinButton : public QAbstractButton {
  Q_OBJECT
 public:
  enum Frame { kRest = 0, kHover = 1, kPressed = 2, kDisabled = 3, kFrameCount = 4 };

  explicit CSkinButton(QWidget* parent = nullptr);

  // Places the button at `rect` (which gives the frame size), names it by
  // `id` and takes `strip` as its frames. False when the strip does not
  // hold four frames of that size.
  bool Create(const QImage& strip, const QRect& rect, int id);
  // Takes a new strip of frames of the same size.
  bool ReplaceBitmap(const QImage& strip);

  int id() const { return id_; }
  void SetHiddenFlag(bool hidden);
  bool hiddenFlag() const { return hidden_; }
  void SetLatched(bool latched);
  bool latched() const { return latched_; }
  bool hovered() const { return hovered_; }

  // The frame the button shows now.
  Frame CurrentFrame() const;

  // The button's background (red, green, blue).
  static QColor Background() { return QColor(0x3F, 0x3F, 0x3F); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // The tooltip is the button's accessible name as well.
  bool event(QEvent* event) override;

 private:
  int id_ = 0;
  QSize frameSize_;
  QImage strip_;
  bool hidden_ = false;
  bool latched_ = false;
  bool hovered_ = false;
};
