#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseViewerCommandLine, TakesOneSourceTheVersionOrTheHelp_AndRefusesTheRest) {
  struct Case {
    QStringList arguments;  // after the program's name
    bool printOnly;
    int exitCode;
    QString textStart;
    QString source;
    std::optional<UiLanguageChoice> language = std::nullopt;
  };
  const QString badLanguage = QStringLiteral("kestrel: --lang takes en or ja\n");
  const QString usage = QStringLiteral("usage: kestrel ");
  const Case cases[] = {
      {{}, false, 0, QString(), QString()},
      {{QStringLiteral("/media/card")}, false, 0, QString(), QStringLiteral("/media/card")},
      {{QStringLiteral("--"), QStringLiteral("-odd.MOV")},
       false,
       0,
       QString(),
       QStringLiteral("-odd.MOV")},
      {{QStringLiteral("--version")}, true, 0, QStringLiteral("kestrel 2.0.0.0\n"), QString()},
      {{QStringLiteral("a.MOV"), QStringLiteral("-v")},
       true,
       0,
       QStringLiteral("kestrel 2.0.0.0\n"),
       QString()},
      {{QStringLiteral("--help")}, true, 0, usage, QString()},
      {{QStringLiteral("-h")}, true, 0, usage, QString()},
      {{QStringLiteral("--bogus")},
       true,
       2,
       QStringLiteral("kestrel: unknown option --bogus\n"),
       QString()},
      {{QStringLiteral("a.MOV"), QStringLiteral("b.MOV")},
       true,
       2,
       QStringLiteral("kestrel: one source only\n"),
       QString()},
      {{QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("a.MOV")},
       false,
       0,
       QString(),
       QStringLiteral("a.MOV"),
       UiLanguageChoice::kEnglish},
      {{QStringLiteral("--lang=ja")}, false, 0, QString(), QString(), UiLanguageChoice::kJapanese},
      {{QStringLiteral("--lang=en"), QStringLiteral("--lang"), QStringLiteral("ja")},
       false,
       0,
       QString(),
       QString(),
       UiLanguageChoice::kJapanese},
      {{QStringLiteral("--"), QStringLiteral("--lang")},
       false,
       0,
       QString(),
       QStringLiteral("--lang")},
      {{QStringLiteral("--lang"), QStringLiteral("fr")}, true, 2, badLanguage, QString()},
      {{QStringLiteral("--lang=auto")}, true, 2, badLanguage, QString()},
      {{QStringLiteral("--lang")}, true, 2, badLanguage, QString()},
      {{QStringLiteral("--language=en")},
       true,
       2,
       QStringLiteral("kestrel: unknown option --language=en\n"),
       QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
    const ViewerCommandLine line =
        ParseViewerCommandLine(QStringList{QStringLiteral("kestrel")} + c.arguments);
    EXPECT_EQ(line.printOnly, c.printOnly);
    EXPECT_EQ(line.exitCode, c.exitCode);
    EXPECT_TRUE(line.text.startsWith(c.textStart)) << line.text.toStdString();
    EXPECT_EQ(line.text.isEmpty(), c.textStart.isEmpty());
    EXPECT_EQ(line.text.contains(usage), c.exitCode == 2 || c.textStart == usage);
    EXPECT_EQ(line.source, c.source);
    EXPECT_EQ(line.language, c.language);
  }
}

}  // namespace
