#include "base/ui_text.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <set>

#include "base/shared_fonts.h"

namespace {

TEST(UiText, WordingsDifferInSixteenSlots) {
  std::set<int> differing;
  for (int slot = 0; slot < kUiTextUsedSlots; ++slot) {
    EXPECT_FALSE(UiTextIn(0, slot).isEmpty()) << slot;
    EXPECT_FALSE(UiTextIn(1, slot).isEmpty()) << slot;
    if (UiTextIn(0, slot) != UiTextIn(1, slot)) differing.insert(slot);
  }
  const std::set<int> expected = {1, 10, 12, 19, 44, 68, 69, 70, 84, 85, 86, 89, 90, 95, 126, 129};
  EXPECT_EQ(differing, expected);
  for (int slot : {-1, kUiTextUsedSlots, 259, 260}) {
    for (int language = 0; language < kUiLanguageCount; ++language) {
      EXPECT_TRUE(UiTextIn(language, slot).isEmpty()) << language << ' ' << slot;
    }
  }
}

// The printf-style conversions of a text and QString::arg's markers, in
// order ("%d", "%.2f", "%%", "%1").
QStringList Conversions(const QString& text) {
  static const QRegularExpression conversion(QStringLiteral(
      "%[-+ #0]*(\\*|\\d+)?(\\.(\\*|\\d+))?(hh|h|ll|l|L|q|j|z|t)?[diouxXeEfFgGaAcspn%]|%\\d"));
  QStringList found;
  for (const QRegularExpressionMatch& match : conversion.globalMatch(text)) {
    found << match.captured();
  }
  return found;
}

bool HasJapanese(const QString& text) {
  for (const char32_t c : text.toUcs4()) {
    const bool japanese = (c >= 0x3000 && c <= 0x30FF) ||  // punctuation, kana
                          (c >= 0x3400 && c <= 0x9FFF) ||  // ideographs
                          (c >= 0xFF00 && c <= 0xFFEF);    // full-width forms
    if (japanese) return true;
  }
  return false;
}

TEST(UiText, EnglishWordingFillsEverySlotAndKeepsTheConversions) {
  int conversions = 0;
  for (int slot = 0; slot < kUiTextUsedSlots; ++slot) {
    const QString japanese = UiTextIn(0, slot);
    const QString english = UiTextIn(kEnglishUiLanguage, slot);
    EXPECT_EQ(english.isEmpty(), japanese.isEmpty()) << slot;
    EXPECT_FALSE(HasJapanese(english)) << slot << ' ' << english.toStdString();
    EXPECT_EQ(Conversions(english), Conversions(japanese)) << slot;
    EXPECT_EQ(english.count(QStringLiteral("\r\n")), japanese.count(QStringLiteral("\r\n")))
        << slot;
    conversions += static_cast<int>(Conversions(japanese).size());
  }
  EXPECT_GT(conversions, 0) << "the table's conversions are found";
  EXPECT_EQ(Conversions(QStringLiteral("%d個 %5.2f%% %s %2 / %1")),
            (QStringList{QStringLiteral("%d"), QStringLiteral("%5.2f"), QStringLiteral("%%"),
                         QStringLiteral("%s"), QStringLiteral("%2"), QStringLiteral("%1")}));
  EXPECT_TRUE(HasJapanese(UiTextIn(0, 25)));
  EXPECT_EQ(UiTextIn(kEnglishUiLanguage, 95), u"Could not join the recordings.");
  EXPECT_EQ(UiTextIn(kEnglishUiLanguage, 48), u"Done.");
}

TEST(UiText, KeepsTheExactCharacters) {
  struct Case {
    int slot;
    const char16_t* wording0;
    const char16_t* wording1;
  };
  const Case cases[] = {
      {12, u"再生", u"プレイ"},
      {68, u"ドライブサポート\u3000急加速", u"ドライブアシスト\u3000急加速"},
      {69, u"ドライブサポート\u3000急ブレーキ", u"ドライブアシスト\u3000急ブレーキ"},
      {70, u"ドライブサポート\u3000急ハンドル", u"ドライブアシスト\u3000急ハンドル"},
      {25, u"衝撃\uFF0Bマニュアル", u"衝撃\uFF0Bマニュアル"},
      {98, u"フォルダパスの取得に失敗しました。", u"フォルダパスの取得に失敗しました。"},
      {113, u"メイリオ", u"メイリオ"},
      {107,
       u"新しいバージョンのソフトを利用できます。\r\nダウンロードする場合は下記URLをクリックしてく"
       u"ださい。",
       nullptr},
      {144,
       u"WebView2ランタイムがインストールされていないと正常に地図が表示されません。\r\n"
       u"WEBサイトからランタイムをダウンロードし、インストールを行なってください。\r\n\r\n\r\n"
       u"※ダウンロードする際は「エバーグリーン ブートストラップ」版を選択してください。\r\n",
       nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UiTextIn(0, c.slot), QString::fromUtf16(c.wording0)) << c.slot;
    EXPECT_EQ(UiTextIn(1, c.slot), QString::fromUtf16(c.wording1 ? c.wording1 : c.wording0))
        << c.slot;
  }
}

TEST(UiText, UsEnglishLocaleChoosesWordingOne) {
  struct Case {
    const char* locale;
    int language;
  };
  const Case cases[] = {{"en_US", 1}, {"en_GB", 0}, {"ja_JP", 0}, {"es_US", 0}, {"C", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(UiLanguageForLocale(QLocale(QString::fromLatin1(c.locale))), c.language) << c.locale;
  }
  ChooseUiLanguage(QLocale(QStringLiteral("en_US")));
  EXPECT_EQ(uiLanguage(), 1);
  EXPECT_EQ(UiText(12), u"プレイ");
  ChooseUiLanguage(QLocale(QStringLiteral("ja_JP")));
  EXPECT_EQ(uiLanguage(), 0);
  EXPECT_EQ(UiText(12), u"再生");
}

// Run in a child process with a chosen LANG: start-up takes the wording from
// the user's locale.
TEST(UiText, StartUpTakesTheWordingFromTheSystemLocale) {
  const QByteArray expected = qgetenv("KESTREL_EXPECTED_LANGUAGE");
  if (!expected.isEmpty()) {
    ASSERT_TRUE(CreateSharedFonts());
    EXPECT_EQ(uiLanguage(), expected.toInt());
    return;
  }
  for (const auto& [lang, language] :
       {std::pair{"en_US.UTF-8", 1}, std::pair{"ja_JP.UTF-8", 0}, std::pair{"en_GB.UTF-8", 0}}) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
    env.insert(QStringLiteral("KESTREL_EXPECTED_LANGUAGE"), QString::number(language));
    child.setProcessEnvironment(env);
    child.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=UiText.StartUpTakesTheWordingFromTheSystemLocale")});
    ASSERT_TRUE(child.waitForFinished(30000)) << lang;
    EXPECT_EQ(child.exitCode(), 0) << lang << child.readAllStandardOutput().toStdString();
  }
}

}  // namespace
