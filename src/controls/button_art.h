#pragma once

#include <QImage>
#include <QSize>
#include <array>

// The glyphs of the control-bar and title buttons.
enum class ButtonArt {
  kToStart,
  kPrevious,
  kPlay,
  kPause,
  kSlower,
  kFaster,
  kNext,
  kSnapshot,
  kJoin,
  kZoom,
  kSource,
  kDelete,
  kSettings,
  kCsv,
  kClose,
  kMinimise,
  kSize
};

// Every glyph, in the order above.
inline constexpr std::array<ButtonArt, 17> kButtonArts = {
    ButtonArt::kToStart,  ButtonArt::kPrevious, ButtonArt::kPlay,   ButtonArt::kPause,
    ButtonArt::kSlower,   ButtonArt::kFaster,   ButtonArt::kNext,   ButtonArt::kSnapshot,
    ButtonArt::kJoin,     ButtonArt::kZoom,     ButtonArt::kSource, ButtonArt::kDelete,
    ButtonArt::kSettings, ButtonArt::kCsv,      ButtonArt::kClose,  ButtonArt::kMinimise,
    ButtonArt::kSize};

// The size of a button that carries `art`: 32 x 32 on the control bar; 18
// high on the title bar, the close button 46 wide, the others 26.
QSize ButtonArtSize(ButtonArt art);

// The glyph's name ("play", "close" ...), which is also its picture's name.
const char* ButtonArtName(ButtonArt art);

// The strip of four frames side by side (rest, hover, pressed/latched,
// disabled), each `frame` large, for CSkinButton::Create: 4*frame.width() x
// frame.height(), black where the skin's background shows through
// (CSkinButton masks pure black). Null for an empty frame.
QImage ButtonStrip(ButtonArt art, QSize frame);
