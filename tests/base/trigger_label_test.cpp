#include "base/trigger_label.h"

#include <gtest/gtest.h>

#include "base/ui_text.h"

namespace {

TEST(TriggerLabelFromName, ReadsTheLetterAfterTheUnderscore) {
  struct Case {
    const char* name;
    const char16_t* label;
  };
  const Case cases[] = {
      {"2401011230_A0001.MOV", u"常時"},       {"2401011230_G0001.MOV", u"衝撃"},
      {"2401011230_M0001.MOV", u"マニュアル"}, {"2401011230_P0001.MOV", u"駐車"},
      {"2401011230_S0001.MOV", u"駐車衝撃"},   {"2401011230_P000", u""},
      {"2401011230_P0000", u"駐車"},           {"2401011230_X0001.MOV", u""},
      {"2401011230_p0001.MOV", u""},           {"24010112300P0001.MOV", u""},
      {"240101123_P00001.MOV", u""},           {"", u""},
  };
  for (int language = 0; language < 2; ++language) {
    ChooseUiLanguage(QLocale(language ? QStringLiteral("en_US") : QStringLiteral("ja_JP")));
    for (const auto& c : cases) {
      EXPECT_EQ(TriggerLabelFromName(QString::fromLatin1(c.name)), QString::fromUtf16(c.label))
          << c.name << " in wording " << language;
    }
  }
  ChooseUiLanguage(QLocale(QStringLiteral("ja_JP")));
}

}  // namespace
