#pragma once

#include <QRect>
#include <QWidget>

// Returns the child's outer rectangle relative to the parent's outer top-left
// corner (frame included). For the frameless main window this equals the
// child's place in the window's own coordinates.
QRect GetChildRect(const QWidget* parent, const QWidget* child);
