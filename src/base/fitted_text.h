#pragma once

#include <QString>

class QAbstractButton;
class QFontMetrics;
class QLabel;

// Texts in places of a fixed pixel width. A text that does not fit is cut
// with an ellipsis at its end and carries its whole text as its tooltip; the
// accessible name is the whole text either way, so that nothing is clipped
// out of sight or out of hearing. A widget given its text here fits it again
// whenever its width changes.

// `text` cut with "…" to `width` pixels of `metrics`; whole when it fits.
QString FittedText(const QString& text, const QFontMetrics& metrics, int width);

// Shows `text` in the label's contents width, in its font.
void SetFittedText(QLabel* label, const QString& text);

// Shows `text` in the width the button's style leaves for its text.
void SetFittedText(QAbstractButton* button, const QString& text);

// The pixels a button's style leaves for its text (beside its indicator,
// inside its frame).
int ButtonTextRoom(const QAbstractButton* button);
