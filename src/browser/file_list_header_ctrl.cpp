#include "browser/file_list_header_ctrl.h"

#include <QPainter>

#include "base/shared_fonts.h"

namespace {

const QColor kFrame(0xAA, 0xAA, 0xAA);
const QColor kEmpty(0xCC, 0xCC, 0xCC);

}  // namespace

CFileListHeaderCtrl::CFileListHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setFont(fontNormal());
  setSectionsClickable(true);
}

int CFileListHeaderCtrl::GreyLevel(int c, int height) {
  return height > 0 ? (height - c) * 141 / height + 63 : 63;
}

int CFileListHeaderCtrl::BandHeight(int height) { return std::max(1, height / 255); }

void CFileListHeaderCtrl::PaintItem(QPainter* painter, const QRect& rect, const QString& text,
                                    const QFont& font) {
  const int h = rect.height();
  const int band = BandHeight(h);
  // Bands from the bottom upwards; the last one may be cut at the top.
  for (int bottom = h; bottom > 0; bottom -= band) {
    const int top = std::max(0, bottom - band);
    const int level = GreyLevel(top, h);
    painter->fillRect(QRect(rect.left(), rect.top() + top, rect.width(), bottom - top),
                      QColor(level, level, level));
  }
  painter->setPen(kFrame);
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(rect.adjusted(0, 0, -1, -1));
  painter->setPen(Qt::white);
  painter->setFont(font);
  const QString shown = painter->fontMetrics().elidedText(text, Qt::ElideRight, rect.width());
  painter->drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

void CFileListHeaderCtrl::paintSection(QPainter* painter, const QRect& rect,
                                       int logicalIndex) const {
  if (!rect.isValid()) return;
  const QString text =
      model() != nullptr ? model()->headerData(logicalIndex, orientation()).toString() : QString();
  painter->save();
  PaintItem(painter, rect, text, font());
  painter->restore();
}

void CFileListHeaderCtrl::paintEvent(QPaintEvent* event) {
  {
    // The area without an item.
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), kEmpty);
  }
  QHeaderView::paintEvent(event);
}
