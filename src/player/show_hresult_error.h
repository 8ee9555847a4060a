#pragma once

#include <QString>

#include "player/player_result.h"

class QWidget;

// The text of the error box for a failed result: the code's name, the UI
// text asking for the codecs for a missing decoder, else "Unknown 0x%x".
QString HResultErrorText(PlayerResult result);

// Passes a success result (true); shows a failure in a box captioned "ERROR"
// owned by `owner` and returns false.
bool ShowHResultError(PlayerResult result, QWidget* owner);
