#pragma once

#include <QPainter>

#include "catalogue/speed_unit.h"

// The meters' pictures, drawn for this program: one dial face per kind
// (scale, numbers and unit, laid out by the kind's needle angles) and the
// one needle. A meter is drawn in a 210 x 170 work area whose needle turns
// about (105, 108).
constexpr int kMeterWidth = 210;
constexpr int kMeterHeight = 170;
constexpr int kNeedlePivotY = 108;
constexpr int kNeedleTopY = 20;
// The needle's colour, which no dial face uses.
inline constexpr QRgb kNeedleColour = qRgb(255, 64, 16);

// Draws the kind's dial face into the work area at the painter's origin;
// the speed meter's in `unit`.
void DrawDialFace(QPainter& painter, int kind, SpeedUnit unit = SpeedUnit::kKmh);

// Draws the needle upright from y = 20 to the pivot, turned about the pivot
// by `angle` degrees clockwise.
void DrawNeedle(QPainter& painter, double angle);
