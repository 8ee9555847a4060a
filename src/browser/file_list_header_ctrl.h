#pragma once

#include <QHeaderView>

// A column header drawn as a vertical grey gradient, light at the top and
// dark at the bottom, with a light grey frame and the title in white.
class CFileListHeaderCtrl : public QHeaderView {
  Q_OBJECT
 public:
  explicit CFileListHeaderCtrl(QWidget* parent = nullptr);

  // The grey level of the band at distance `c` from the top of an item
  // `height` pixels high: 204 at the top down to 63 at the bottom.
  static int GreyLevel(int c, int height);
  // The height of the gradient's bands: height / 255, at least 1.
  static int BandHeight(int height);
  // Paints one item (or, with an empty `text` and no item, the bare area).
  static void PaintItem(QPainter* painter, const QRect& rect, const QString& text,
                        const QFont& font);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  void paintEvent(QPaintEvent* event) override;
};
