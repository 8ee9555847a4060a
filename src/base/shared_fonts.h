#pragma once

#include <QFont>

// The five fonts every window shares. They keep their pixel size at any screen
// scaling: a font of size value s is s points at 96 dots per inch, so size 9
// is 12 pixels. The face is the one UiText(113) names, or the Japanese UI font
// of this system where that face is not installed.

// Creates the five fonts, after fixing the UI wording from the user's locale;
// then captures the working folder (`workDir`). False, doing nothing, when
// there is no display to draw to (no GUI application).
bool CreateSharedFonts();

// Frees the five fonts; the application does this after its main window has
// closed.
void DeleteSharedFonts();

// Whether the fonts exist (between CreateSharedFonts and DeleteSharedFonts).
bool SharedFontsCreated();

// The pixel size of a font of size value `sizeValue`.
int FontPixelSize(int sizeValue);

// The shared fonts, by size value: 9, 10, 13, 17 and 22. Before
// CreateSharedFonts and after DeleteSharedFonts they are the application's
// default font.
QFont fontSmall();
QFont fontNormal();
QFont fontMedium();
QFont fontLarge();
QFont fontTitle();
