#include "base/ui_text.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
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
  for (int slot : {-1, 145, 200, 259, 260}) {
    EXPECT_TRUE(UiTextIn(0, slot).isEmpty()) << slot;
    EXPECT_TRUE(UiTextIn(1, slot).isEmpty()) << slot;
  }
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
