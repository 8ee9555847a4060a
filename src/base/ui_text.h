#pragma once

#include <QLocale>
#include <QString>

// The texts of the user interface: two wordings of the same Japanese texts,
// by slot number. Every caption, tooltip, menu item, column title and message
// of the viewer is taken from here. The table has 260 slots per wording, of
// which slots 0 to 144 hold text; the others are empty.
constexpr int kUiTextUsedSlots = 145;

// Returns the text of `slot` in the current wording; empty for an unused or
// out-of-range slot.
QString UiText(int slot);

// Returns the text of `slot` in wording `language` (0 or 1).
QString UiTextIn(int language, int slot);

// The current wording: 0 until ChooseUiLanguage picks one at start-up.
int uiLanguage();

// Wording 1 for a US-English locale, wording 0 for every other.
int UiLanguageForLocale(const QLocale& locale);

// Fixes the current wording from the user's locale; called once at start-up.
void ChooseUiLanguage(const QLocale& locale);
