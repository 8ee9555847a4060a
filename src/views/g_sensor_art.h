#pragma once

#include <QColor>
#include <QImage>

// The G-sensor graph's pictures, drawn in code: the four backgrounds
// (800 x 150, a 50-pixel label column, then the grid) and the 11 x 11 star
// of the drive-assist mark.
inline constexpr int kGraphBackgroundWidth = 800;
inline constexpr int kGraphBackgroundHeight = 150;
inline constexpr int kGraphLabelColumn = 50;
inline constexpr int kStarSize = 11;

// The background for scale index 0..3: labels "0.5G", "1G", "1.5G" or "2G",
// "0G" and the negative value at the grid's top, middle and bottom lines.
QImage GraphBackground(int scaleIndex);

// The star, yellow on a transparent ground.
QImage MarkStar();

// The pen of a mark's line by icon index 0..11.
QColor MarkPenColour(int icon);
