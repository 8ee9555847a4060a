#pragma once

#include <QLocale>
#include <QString>
#include <optional>

// The texts of the user interface by slot number, in three wordings: 0 and 1
// are two wordings of the same Japanese texts, 2 is English. Every caption,
// tooltip, menu item, column title and message of the viewer is taken from
// here. The table has 260 slots per wording, of which slots 0 to 238 hold
// text; the others are empty.
constexpr int kUiTextUsedSlots = 239;
constexpr int kUiLanguageCount = 3;
constexpr int kEnglishUiLanguage = 2;

// What the user asks the wording to be: by the locale (wording 0 or 1),
// Japanese (wording 0) or English.
enum class UiLanguageChoice { kAuto, kJapanese, kEnglish };

// Returns the text of `slot` in the current wording; empty for an unused or
// out-of-range slot.
QString UiText(int slot);

// Returns the text of `slot` in wording `language` (0, 1 or 2).
QString UiTextIn(int language, int slot);

// The current wording: 0 until ChooseUiLanguage picks one at start-up.
int uiLanguage();

// Wording 1 for a US-English locale, wording 0 for every other.
int UiLanguageForLocale(const QLocale& locale);

// The choice written as "auto", "ja" or "en"; nothing for any other text.
std::optional<UiLanguageChoice> UiLanguageChoiceFromText(const QString& text);
QString UiLanguageChoiceText(UiLanguageChoice choice);

// The wording a choice gives under `locale`.
int UiLanguageFor(UiLanguageChoice choice, const QLocale& locale);

// Sets the choice that ChooseUiLanguage follows (kAuto until set).
void SetUiLanguageChoice(UiLanguageChoice choice);

// Fixes the current wording from the choice and the user's locale; called
// once at start-up.
void ChooseUiLanguage(const QLocale& locale);
