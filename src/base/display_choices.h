#pragma once

#include <QLocale>
#include <optional>

#include "base/ui_text.h"
#include "catalogue/speed_unit.h"

// The user's display choices in the settings file, taken at start-up:
// "DISPLAY"/"LANGUAGE" ("auto", "ja" or "en") and "DISPLAY"/"SPEED_UNIT"
// ("kmh" or "mph"). A value the viewer does not know is read as the default
// and left in the file as the user wrote it.

// "DISPLAY"/"LANGUAGE"; kAuto when absent or unknown.
UiLanguageChoice ReadLanguageChoice();
bool WriteLanguageChoice(UiLanguageChoice choice);

// "DISPLAY"/"SPEED_UNIT"; km/h when absent or unknown.
SpeedUnit ReadSpeedUnit();
bool WriteSpeedUnit(SpeedUnit unit);

// The unit the viewer shows speeds in while it runs: km/h until
// ChooseSpeedUnit sets it at start-up.
SpeedUnit shownSpeedUnit();
void ChooseSpeedUnit(SpeedUnit unit);

// Takes this run's choices at start-up, once the working folder is known:
// the wording by `language` when given, else by the settings file, under
// `locale`; Qt's own texts in the same language; the file's speed unit.
void TakeDisplayChoices(std::optional<UiLanguageChoice> language, const QLocale& locale);
