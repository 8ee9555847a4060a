#include "player/zoom_cursor.h"

#include <QPainter>
#include <QPixmap>

QCursor ZoomCursor() {
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& [colour, width] :
         {std::pair{QColor(Qt::white), 5.0}, {QColor(Qt::black), 2.5}}) {
      painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
      painter.drawEllipse(QRectF(3, 3, 17, 17));
      painter.drawLine(QPointF(18, 18), QPointF(28, 28));
      painter.drawLine(QPointF(8, 11.5), QPointF(15, 11.5));
      painter.drawLine(QPointF(11.5, 8), QPointF(11.5, 15));
    }
  }
  return QCursor(picture, 11, 11);
}
