#pragma once

#include <QDialog>
#include <QPoint>

// The viewer's main window: a frameless 1120 x 700 dialog that draws its own
// title and can be dragged by its surface.
class CKestrelDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CKestrelDlg(QWidget* parent = nullptr);

  static constexpr int kWidth = 1120;
  static constexpr int kHeight = 700;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool dragging_ = false;
  QPoint dragOffset_;
};
