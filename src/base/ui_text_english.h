#pragma once

#include <array>

#include "base/ui_text.h"

// The English wording of the user interface, slot by slot as wording 0.
extern const std::array<const char16_t*, kUiTextUsedSlots> kEnglishWording;
