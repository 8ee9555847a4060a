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
  };
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
  }
}

}  // namespace
