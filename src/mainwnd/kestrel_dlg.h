#pragma once

#include <QDialog>
#include <QPoint>
#include <mutex>

// The viewer's main window: a frameless 1120 x 700 dialog that draws its own
// title and can be dragged by any part of its own surface.
class CKestrelDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CKestrelDlg(QWidget* parent = nullptr);

  static constexpr int kWidth = 1120;
  static constexpr int kHeight = 700;

  // The full-screen aspect setting and the volume read at start-up.
  bool keepAspect() const { return keepAspect_; }
  int volumeLevel() const { return volumeLevel_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Start-up of the window, in order: locks, fonts and wording, title,
  // settings file on first run, saved settings.
  void OnInitDialog();

  // Guards the current recording index and the catalogue's entries against
  // the worker threads that copy a path out of them.
  std::recursive_mutex* mutexCache_ = nullptr;
  // Serialises the rebuilding of the map's event marks.
  std::recursive_mutex* mutexCpSet_ = nullptr;

  bool keepAspect_ = false;
  int volumeLevel_ = 0;

  bool dragging_ = false;
  QPoint dragOffset_;
};
