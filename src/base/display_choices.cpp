#include "base/display_choices.h"

#include "base/qt_translations.h"
#include "base/settings_file.h"

namespace {

const QString kSection = QStringLiteral("DISPLAY");
const QString kLanguageKey = QStringLiteral("LANGUAGE");
const QString kSpeedUnitKey = QStringLiteral("SPEED_UNIT");
const QString kMphText = QStringLiteral("mph");
const QString kKmhText = QStringLiteral("kmh");

SpeedUnit currentSpeedUnit = SpeedUnit::kKmh;

}  // namespace

UiLanguageChoice ReadLanguageChoice() {
  return UiLanguageChoiceFromText(ReadIniString(kSection, kLanguageKey).trimmed())
      .value_or(UiLanguageChoice::kAuto);
}

bool WriteLanguageChoice(UiLanguageChoice choice) {
  return WriteIniString(kSection, kLanguageKey, UiLanguageChoiceText(choice));
}

SpeedUnit ReadSpeedUnit() {
  return ReadIniString(kSection, kSpeedUnitKey).trimmed() == kMphText ? SpeedUnit::kMph
                                                                      : SpeedUnit::kKmh;
}

bool WriteSpeedUnit(SpeedUnit unit) {
  return WriteIniString(kSection, kSpeedUnitKey, unit == SpeedUnit::kMph ? kMphText : kKmhText);
}

SpeedUnit shownSpeedUnit() { return currentSpeedUnit; }

void ChooseSpeedUnit(SpeedUnit unit) { currentSpeedUnit = unit; }

void TakeDisplayChoices(std::optional<UiLanguageChoice> language, const QLocale& locale) {
  SetUiLanguageChoice(language.value_or(ReadLanguageChoice()));
  ChooseUiLanguage(locale);
  InstallQtTranslations(uiLanguage());
  ChooseSpeedUnit(ReadSpeedUnit());
}
