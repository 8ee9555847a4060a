#pragma once

#include <QCursor>

// The cursor of zoom mode: a magnifying glass with a plus, drawn in code.
QCursor ZoomCursor();
