#include "views/meter_face.h"

#include <QPainterPath>
#include <QtMath>
#include <cmath>

#include "views/meter_rules.h"

namespace {

constexpr QPointF kPivot(kMeterWidth / 2.0, kNeedlePivotY);
constexpr double kScaleRadius = 82;

struct DialScale {
  int minorStep;   // values between small ticks
  int labelStep;   // values between numbered ticks
  int labelShift;  // added to a value to give the printed number
  const char* unit;
};

DialScale ScaleOf(int kind, SpeedUnit unit) {
  switch (kind) {
    case kMeterThrottle:
      return {5, 25, 0, "%"};
    case kMeterEngineSpeed:
      return {5, 20, 0, "×100 rpm"};
    case kMeterManifoldPressure:
      // Shown values are kPa less 11, so that 90 is the atmosphere (101 kPa).
      return {10, 40, 11, "kPa"};
    case kMeterCoolant:
      return {5, 20, 0, "℃"};
    default:
      return unit == SpeedUnit::kMph ? DialScale{5, 30, 0, "mph"} : DialScale{10, 50, 0, "km/h"};
  }
}

// Returns the point at `radius` from the pivot along the needle's ray for
// `angle` degrees clockwise from upright.
QPointF OnRay(double angle, double radius) {
  const double theta = qDegreesToRadians(angle);
  return kPivot + QPointF(radius * std::sin(theta), -radius * std::cos(theta));
}

void DrawTick(QPainter& painter, int kind, SpeedUnit unit, int value, double inner) {
  const double angle = NeedleAngle(kind, value, unit);
  painter.drawLine(OnRay(angle, inner), OnRay(angle, kScaleRadius));
}

}  // namespace

void DrawDialFace(QPainter& painter, int kind, SpeedUnit unit) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(QRect(0, 0, kMeterWidth, kMeterHeight), Qt::black);
  painter.setPen(QPen(QColor(90, 90, 96), 2));
  painter.setBrush(QColor(24, 26, 32));
  painter.drawEllipse(kPivot, kScaleRadius + 6, kScaleRadius + 6);

  const DialScale scale = ScaleOf(kind, unit);
  const int max = MeterRangeMax(kind, unit);
  painter.setPen(QPen(QColor(200, 200, 200), 1));
  for (int value = 0; value <= max; value += scale.minorStep) {
    DrawTick(painter, kind, unit, value, 76);
  }

  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  painter.setPen(QPen(Qt::white, 2));
  // Numbered ticks fall on round printed numbers.
  for (int value = 0; value <= max; ++value) {
    const int number = value + scale.labelShift;
    if (number % scale.labelStep != 0) continue;
    DrawTick(painter, kind, unit, value, 70);
    const QPointF centre = OnRay(NeedleAngle(kind, value, unit), 58);
    painter.drawText(QRectF(centre.x() - 16, centre.y() - 8, 32, 16), Qt::AlignCenter,
                     QString::number(number));
  }
  if (kind == kMeterManifoldPressure) {
    painter.setPen(QPen(QColor(80, 160, 255), 3));
    DrawTick(painter, kind, unit, 90, 66);
  }
  font.setPixelSize(12);
  painter.setFont(font);
  painter.setPen(QColor(220, 220, 220));
  painter.drawText(QRectF(kPivot.x() - 50, kPivot.y() + 14, 100, 18), Qt::AlignCenter,
                   QString::fromUtf8(scale.unit));
  painter.restore();
}

void DrawNeedle(QPainter& painter, double angle) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(kPivot);
  painter.rotate(angle);
  const double length = kNeedlePivotY - kNeedleTopY;
  QPainterPath needle;
  needle.moveTo(-1.2, -length);
  needle.lineTo(1.2, -length);
  needle.lineTo(3, 0);
  needle.lineTo(0, 10);
  needle.lineTo(-3, 0);
  needle.closeSubpath();
  painter.fillPath(needle, QColor::fromRgb(kNeedleColour));
  painter.setBrush(QColor(60, 60, 60));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(0, 0), 6, 6);
  painter.restore();
}
